#pragma once
// The command's results as text, CSV, JSON or the check mode's status line,
// and its exit code.
#include "comando/fronte_comando.h"
#include "comando/opzioni.h"

#include <QByteArray>
#include <QList>

struct Uscita {
    QByteArray out, err;
    int codice = 0;
};

// The results of the measured runs `giri` (the last one may have ended
// early); `interruzione` is the code of a signal's end (130 or 143).
Uscita Risultati(const Opzioni& o, const QList<Giro>& giri, int interruzione = 130);

// "completata", "interrotta"...
QString NomeEsito(EsitoGiro e);

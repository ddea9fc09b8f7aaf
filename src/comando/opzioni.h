#pragma once
// The command's options: parsed, completed from the settings file, checked
// as the window checks a request, with the password from its sources.
#include "comando/soglie.h"
#include "run/corsa.h"
#include "run/delimitato.h"

#include <QMap>
#include <QString>
#include <optional>

enum class FormatoUscita { Testo, Csv, Json };

struct Opzioni {
    RichiestaCorsa richiesta;
    QString nome; // labels the outputs; the statement when not given
    bool soloConteggio = false;
    int ripeti = 1;
    int riscaldamento = 0;
    bool connessioneUnica = false;
    FormatoUscita formato = FormatoUscita::Testo;
    std::optional<delimitato::Formato> righe;
    QString fileRighe; // empty: the rows go to stdout
    bool controllo = false;
    QMap<QString, soglie::Intervallo> avvisi, critici; // by measure label
    std::optional<double> timeout;                     // seconds
    soglie::Stato statoTimeout = soglie::Stato::Unknown;
    QStringList avvisiStderr; // warnings for stderr (readable password files)
};

// What reading the command line gave: the options, or an exit with its
// text (help and version on stdout, errors on stderr).
struct Lettura {
    std::optional<Opzioni> opzioni;
    int codice = 0;
    QString uscita, errore;
    bool controllo = false; // the usage error is the check mode's UNKNOWN
};

Lettura LeggiOpzioni(const QStringList& argomenti);

// The connection string as printed: the password as "***".
QString ConnessioneVisibile(const RichiestaCorsa& r);

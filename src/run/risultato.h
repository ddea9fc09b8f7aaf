#pragma once
// What the window holds of a run once it is over, and that result as
// delimited text (delimitato.h): a header line of the field names, then
// every row loaded, each field NULL or text.
#include "run/delimitato.h"
#include "run/tabella_testi.h"

#include <QString>
#include <QStringList>

struct Risultato {
    // The field lines as the run listed them.
    QStringList definizioni;
    // The rows loaded: none when the run loaded no rows (the rows list
    // hidden, or a stop before the loading began). `dati` shares them.
    bool conRighe = false;
    QStringList nomi; // one per column, the header
    TabellaTesti dati;
    qsizetype righe = 0;
};

namespace delimitato {

// The header line, or row `riga` of the result, ended.
void AccodaIntestazione(QByteArray& uscita, const Risultato& r, Formato f);
void AccodaIntestazione(QString& uscita, const Risultato& r, Formato f);
void AccodaRiga(QByteArray& uscita, const Risultato& r, qsizetype riga, Formato f);
void AccodaRiga(QString& uscita, const Risultato& r, qsizetype riga, Formato f);

} // namespace delimitato

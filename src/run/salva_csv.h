#pragma once
// A result written as a CSV file on a pool thread: the header line, then
// every row (delimitato.h), UTF-8 without a byte order mark. The text goes
// through a QSaveFile: the file under the chosen name is replaced only once
// the whole text is written, so a failed or cancelled write leaves there
// whatever was there before. The future's progress is the rows written out
// of the rows loaded; cancelled, it ends without a result.
#include "run/risultato.h"

#include <QFileDevice>
#include <QFuture>
#include <QString>

struct EsitoCsv {
    QFileDevice::FileError errore = QFileDevice::NoError;
    QString descrizione; // the system's account of the failure
    bool Salvato() const { return errore == QFileDevice::NoError; }
};

QFuture<EsitoCsv> ScriviCsv(Risultato r, const QString& file);

#pragma once
// A result written as a CSV file: the header line, then every row
// (delimitato.h), UTF-8 without a byte order mark. The text goes through a
// QSaveFile: the file under the chosen name is replaced only once the whole
// text is written, so a failed or cancelled write leaves there whatever was
// there before. Blocking: the window calls it on a pool thread.
#include "run/risultato.h"

#include <QFileDevice>
#include <QString>
#include <functional>

struct EsitoCsv {
    QFileDevice::FileError errore = QFileDevice::NoError;
    QString descrizione; // the system's account of the failure
    bool annullato = false;
    bool Salvato() const { return errore == QFileDevice::NoError && !annullato; }
};

// `avanzamento` hears the rows written so far after each piece (about a
// megabyte of text) and answers whether to go on.
EsitoCsv ScriviCsv(const Risultato& r, const QString& file,
                   const std::function<bool(qsizetype)>& avanzamento);

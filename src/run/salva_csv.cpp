#include "run/salva_csv.h"

#include <QSaveFile>
#include <algorithm>

namespace {

// Bytes gathered before each write, the moments at which a cancellation is
// seen and the progress moves.
constexpr qsizetype Pezzo = qsizetype(1) << 20;

EsitoCsv Fallito(const QSaveFile& f) {
    return {f.error() != QFileDevice::NoError ? f.error() : QFileDevice::WriteError,
            f.errorString()};
}

// The whole of `testo`: a short write (a disk filling up) is followed by
// another, which says why it cannot go on.
bool ScriviTutto(QSaveFile& f, const QByteArray& testo) {
    for (qsizetype scritti = 0; scritti < testo.size();) {
        const qint64 n = f.write(testo.constData() + scritti, testo.size() - scritti);
        if (n <= 0) {
            return false;
        }
        scritti += n;
    }
    return true;
}

} // namespace

EsitoCsv ScriviCsv(const Risultato& r, const QString& nome,
                   const std::function<bool(qsizetype)>& avanzamento) {
    using delimitato::Formato;
    QSaveFile file(nome);
    // Unbuffered: the text goes out in large pieces already, and a write
    // that fails says so at once (the buffer's last flush, inside commit,
    // would not stop the rename).
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // Whatever the cause (a folder missing or not writable, a disk
        // read-only), the file could not be made.
        return {QFileDevice::OpenError, file.errorString()};
    }
    QByteArray testo;
    testo.reserve(Pezzo + Pezzo / 4);
    delimitato::AccodaIntestazione(testo, r, Formato::Csv);
    for (qsizetype riga = 0; riga <= r.righe; ++riga) {
        if (riga < r.righe) {
            delimitato::AccodaRiga(testo, r, riga, Formato::Csv);
            if (testo.size() < Pezzo) {
                continue;
            }
        }
        if (!ScriviTutto(file, testo)) {
            return Fallito(file); // the temporary file goes with `file`
        }
        testo.resize(0);
        if (!avanzamento(std::min(riga + 1, r.righe))) {
            return {QFileDevice::NoError, QString(), true};
        }
    }
    if (!file.commit()) {
        return Fallito(file);
    }
    return {};
}

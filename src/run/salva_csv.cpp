#include "run/salva_csv.h"

#include <QPromise>
#include <QSaveFile>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <limits>

namespace {

// Bytes gathered before each write, the moments at which a cancellation is
// seen and the progress moves.
constexpr qsizetype Pezzo = qsizetype(1) << 20;

int Avanzamento(qsizetype righe) {
    return static_cast<int>(std::min<qsizetype>(righe, std::numeric_limits<int>::max()));
}

EsitoCsv Fallito(const QSaveFile& f) { return {f.error(), f.errorString()}; }

void Scrivi(QPromise<EsitoCsv>& promessa, const Risultato& r, const QString& nome) {
    using delimitato::Formato;
    promessa.setProgressRange(0, Avanzamento(r.righe));
    QSaveFile file(nome);
    if (!file.open(QIODevice::WriteOnly)) {
        promessa.addResult(Fallito(file));
        return;
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
        if (file.write(testo) != testo.size()) {
            promessa.addResult(Fallito(file));
            return; // the temporary file goes with `file`
        }
        testo.resize(0);
        if (promessa.isCanceled()) {
            return;
        }
        promessa.setProgressValue(Avanzamento(std::min(riga + 1, r.righe)));
    }
    if (!file.commit()) {
        promessa.addResult(Fallito(file));
        return;
    }
    promessa.addResult(EsitoCsv{});
}

} // namespace

QFuture<EsitoCsv> ScriviCsv(Risultato r, const QString& file) {
    return QtConcurrent::run(Scrivi, std::move(r), file);
}

#include "run/tempi.h"

#include <QStringList>
#include <cmath>

namespace tempi {

namespace {

qint64 Millisecondi(qint64 ns) { return (ns + 500'000) / 1'000'000; }

} // namespace

QString Testo(const Misure& m, Esito esito) {
    QStringList righe;
    if (esito == Esito::Interrotta)
        righe << QStringLiteral("Elaborazione interrotta");
    else if (esito == Esito::NonRiuscita)
        righe << QStringLiteral("Elaborazione non riuscita");
    static const char* const nomi[] = {"Istruzione", "Conteggio", "Caricamento"};
    const char* const finoA =
        esito == Esito::Interrotta ? " (fino all'arresto)" : " (fino all'errore)";
    qint64 totale = 0;
    for (std::size_t f = 0; f < m.durate.size(); ++f) {
        const auto& d = m.durate[f];
        if (!d) {
            // A completed run that did not load: say so rather than leave it out.
            if (f == std::size_t(Fase::Caricamento) && esito == Esito::Completata)
                righe << QStringLiteral("Caricamento: non eseguito");
            continue;
        }
        totale += *d;
        QString riga =
            QStringLiteral("%1: %2 ms").arg(QLatin1String(nomi[f])).arg(Millisecondi(*d));
        if (m.troncata == Fase(f))
            riga += QString::fromUtf8(finoA);
        righe << riga;
    }
    if (m.righe) {
        QString riga = QStringLiteral("Righe: %1").arg(*m.righe);
        if (totale > 0)
            riga += QStringLiteral(" (%1/s)").arg(
                std::llround(double(*m.righe) * 1e9 / double(totale)));
        righe << riga;
    }
    return righe.join(u'\n');
}

void Cronometro::Avvia(Fase f) {
    Ferma();
    corrente_ = f;
    t_.start();
}

void Cronometro::Ferma() {
    if (corrente_)
        m_.durate[std::size_t(*corrente_)] = t_.nsecsElapsed();
    corrente_.reset();
}

const Misure& Cronometro::Misura(Esito esito) {
    if (esito != Esito::Completata)
        m_.troncata = corrente_;
    Ferma();
    return m_;
}

} // namespace tempi

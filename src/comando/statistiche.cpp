#include "comando/statistiche.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace statistiche {

double Percentile(const QList<double>& ordinati, double p) {
    const double posizione = p * static_cast<double>(ordinati.size() - 1);
    const auto sotto = static_cast<qsizetype>(std::floor(posizione));
    const qsizetype sopra = std::min(sotto + 1, ordinati.size() - 1);
    const double frazione = posizione - static_cast<double>(sotto);
    return ordinati[sotto] + frazione * (ordinati[sopra] - ordinati[sotto]);
}

std::optional<Riassunto> Riassumi(QList<double> valori) {
    if (valori.isEmpty())
        return std::nullopt;
    std::sort(valori.begin(), valori.end());
    const auto n = static_cast<double>(valori.size());
    Riassunto r;
    r.min = valori.first();
    r.max = valori.last();
    r.mediana = Percentile(valori, 0.5);
    r.p95 = Percentile(valori, 0.95);
    r.media = std::accumulate(valori.begin(), valori.end(), 0.0) / n;
    if (valori.size() > 1) {
        const double quadrati =
            std::accumulate(valori.begin(), valori.end(), 0.0, [&](double somma, double v) {
                return somma + (v - r.media) * (v - r.media);
            });
        r.devStd = std::sqrt(quadrati / (n - 1));
    }
    return r;
}

} // namespace statistiche

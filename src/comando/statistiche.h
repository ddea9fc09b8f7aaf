#pragma once
// Figures of one phase over repeated runs.
//
// Percentiles by linear interpolation between the closest ranks (the
// definition spreadsheets' PERCENTILE.INC, R's and NumPy's defaults use):
// the value at position p·(n-1) of the sorted values, interpolated between
// its two neighbours. The median is the same rule at 50 %, and anyone can
// check the figures against every run's own, printed in CSV and JSON, with
// those tools. (Nearest rank would give the maximum itself as the 95th
// percentile of any twenty runs or fewer.)
#include <QList>
#include <optional>

namespace statistiche {

struct Riassunto {
    double min = 0;
    double mediana = 0;
    double media = 0;
    double max = 0;
    std::optional<double> devStd; // sample (n - 1); none for a single value
    double p95 = 0;
};

// None for no values.
std::optional<Riassunto> Riassumi(QList<double> valori);

// The percentile `p` (0 to 1) of sorted, non-empty values.
double Percentile(const QList<double>& ordinati, double p);

} // namespace statistiche

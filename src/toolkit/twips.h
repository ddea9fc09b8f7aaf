#pragma once
// Positions and sizes are held in twips (1/1440 inch) as single-precision
// numbers. At the 96 dots per inch of a logical pixel that is 15 twips per
// pixel: this is the one place that says so.
#include <QtMath>

namespace twips {

constexpr float PerPixel = 15.0f;

inline float DaPixel(int pixel) { return static_cast<float>(pixel) * PerPixel; }
inline int APixel(float valore) { return qRound(valore / PerPixel); }
// For a window's outer size: rounded up, so that a minimum in twips is met.
inline int APixelPerEccesso(float valore) { return qCeil(valore / PerPixel - 1e-4f); }

} // namespace twips

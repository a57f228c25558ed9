#pragma once

#include <QtMath>

// Geometry is designed in twips (1/1440 inch). At 96 dpi one pixel is 15 twips;
// Qt's logical pixels already follow the screen's device-pixel ratio, so the
// conversion stays right on high-DPI screens.
constexpr int kTwipsPerPixel = 15;

inline int twipsToPixels(int twips) { return qRound(double(twips) / kTwipsPerPixel); }
inline int pixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

#pragma once
#include <QRect>

// Window positions and sizes are kept in twips (1/1440 inch) and turned into
// pixels at the screen's logical resolution.
namespace mirka::twips {

constexpr int perInch = 1440;

int toPixelsX(int twips);
int toPixelsY(int twips);
int fromPixelsX(int pixels);
int fromPixelsY(int pixels);
QRect toPixels(int left, int top, int width, int height);

// Overrides the logical resolution (0 restores the screen's), so layouts
// can be checked at a known scale.
void setDpiForTesting(double dpi);

} // namespace mirka::twips

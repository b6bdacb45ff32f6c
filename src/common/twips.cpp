#include "common/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace mirka::twips {

static double g_dpiOverride = 0;

void setDpiForTesting(double dpi) { g_dpiOverride = dpi; }

static double dpi(bool x)
{
    if (g_dpiOverride > 0)
        return g_dpiOverride;
    if (const QScreen *s = QGuiApplication::primaryScreen())
        return x ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY();
    return 96.0;
}

static int toPx(int t, bool x) { return int(std::lround(t * dpi(x) / perInch)); }
static int fromPx(int p, bool x) { return int(std::lround(p * perInch / dpi(x))); }

int toPixelsX(int t) { return toPx(t, true); }
int toPixelsY(int t) { return toPx(t, false); }
int fromPixelsX(int p) { return fromPx(p, true); }
int fromPixelsY(int p) { return fromPx(p, false); }

QRect toPixels(int left, int top, int width, int height)
{
    return QRect(toPixelsX(left), toPixelsY(top), toPixelsX(width), toPixelsY(height));
}

} // namespace mirka::twips

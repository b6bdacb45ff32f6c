#pragma once
#include <QFont>
#include <QString>

namespace mirka {

// The Japanese proportional Gothic face of the design, "ＭＳ Ｐゴシック", or
// the first such face installed here (one real family, since the editor
// writes it into its files).
QString gothicFamily();
QFont gothicFont(double points, bool bold = false);

} // namespace mirka

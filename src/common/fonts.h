#pragma once
#include <QFont>
#include <QString>

namespace mirka {

// The Japanese proportional Gothic face of the design, "ＭＳ Ｐゴシック", or
// the first such face installed here (one real family, since the editor
// writes it into its files).
QString gothicFamily();
// The design's own face name, "ＭＳ Ｐゴシック", installed here or not.
QString gothicDesignFamily();
// Whether a family of exactly this name is installed.
bool fontInstalled(const QString &family);
QFont gothicFont(double points, bool bold = false);

} // namespace mirka

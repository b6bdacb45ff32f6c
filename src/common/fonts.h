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
// Notes from Windows name its Japanese faces ("ＭＳ Ｐゴシック", "MS Mincho",
// "メイリオ"…). Where such a face is missing, Qt is told an installed face
// of the same kind to draw it with; the note keeps the name it was given.
// Without this the system's fallback draws Latin letters and digits in a
// Western face whose size differs from the Japanese text beside them.
void installJapaneseFontSubstitutes();

} // namespace mirka

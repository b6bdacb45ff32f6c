#pragma once
#include <QString>

namespace mirka {
// Names the program in the settings store, in the About window and on every
// message box that has no title of its own.
inline QString appTitle() { return QStringLiteral("webMirkabrowser"); }
} // namespace mirka

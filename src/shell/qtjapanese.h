#pragma once

namespace mirka {

// Installs Qt's own Japanese texts (the message box buttons, the file, font
// and colour dialogs, the editors' context menus). Looks in Qt's
// translations folder, then in "translations" beside the executable (where a
// Windows deployment puts them), and makes Japanese the default locale.
// Returns whether the texts were found.
bool installQtJapanese();

} // namespace mirka

#pragma once
#include <QIcon>
#include <QList>
#include <QString>

// The browser window's pictures, drawn here rather than shipped as files.
namespace mirka::browserpictures {

// The 24 x 24 picture of the toolbar button with this key (Back, Forward,
// Stop, Refresh, Home, Search, check, fav); a null icon for any other key.
QIcon toolbarPicture(const QString &key);

// The six 16 x 16 favourite icons, in icon-number order: bear, dog, cat,
// musical note, insect, personal computer.
QList<QIcon> favouritePictures();

} // namespace mirka::browserpictures

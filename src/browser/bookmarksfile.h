#pragma once
#include "browser/favourites.h"

class frmBrowser;

// Favourites to and from the bookmarks HTML file every browser reads and
// writes. The icon number travels in an attribute of its own; bookmarks
// from elsewhere get icon 1.
namespace mirka::bookmarksfile {

QByteArray format(const QList<favourites::Favourite> &list);
QList<favourites::Favourite> parse(const QByteArray &html);

// The favourites box's context menu: export and import.
void attach(frmBrowser *browser);

} // namespace mirka::bookmarksfile

#pragma once
#include "model/favourites.h"

#include <functional>

class frmBrowser;

// Favourites to and from the bookmarks HTML file every browser reads and
// writes. The icon number travels in an attribute of its own; bookmarks
// from elsewhere get icon 1.
namespace mirka::bookmarksfile {

// Told how far reading has come; false stops it.
using Progress = std::function<bool(qsizetype done, qsizetype total)>;

QByteArray format(const QList<favourites::Favourite> &list);
// Every link with an address, in file order, in one pass over the file.
QList<favourites::Favourite> parse(const QByteArray &html, const Progress &progress = {});
// Whether the bytes are a bookmarks file at all (a picture or a page named
// .html is not).
bool isBookmarksFile(const QByteArray &bytes);

// What an import did with the bookmarks it read.
struct Merged {
    int added = 0;
    int known = 0;     // already among the favourites
    int unopened = 0;  // not an http or https address (javascript:, data:, file:…)
    int overLimit = 0; // past the favourites' limit
};
// Adds to list the bookmarks it does not hold yet, in order, up to the
// favourites' limit; only addresses of web pages are taken.
Merged merge(QList<favourites::Favourite> &list, const QList<favourites::Favourite> &bookmarks);
// The one message that ends an import.
QString report(const Merged &merged);

// The favourites box's context menu: export and import.
void attach(frmBrowser *browser);

} // namespace mirka::bookmarksfile

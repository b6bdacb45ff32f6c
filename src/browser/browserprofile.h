#pragma once

class QObject;
class QWebEngineProfile;

namespace mirka {

// The engine profile every browser window shares. It is named and kept in
// the per-user data folder (cookies, local storage; the cache in the
// per-user cache folder), so a site's login lasts from one run to the next.
// Pages open new windows only on a click or a key, and a local file may not
// read other local files through its scripts.
QWebEngineProfile *browserProfile();

// A profile set up as browserProfile's, over the per-user folders as they
// are now. browserProfile makes one for the whole run.
QWebEngineProfile *createBrowserProfile(QObject *parent);

} // namespace mirka

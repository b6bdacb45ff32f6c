#include "browser/browserprofile.h"

#include "browser/LocalFileGuard.h"
#include "common/apptitle.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace mirka {

QWebEngineProfile *createBrowserProfile(QObject *parent)
{
    auto *profile = new QWebEngineProfile(QStringLiteral("browser"), parent);
    const QString folder = u'/' + appTitle() + QStringLiteral("/browser");
    profile->setPersistentStoragePath(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + folder);
    profile->setCachePath(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
                          + folder);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);

    QWebEngineSettings *s = profile->settings();
    // Without a user gesture a page's window.open opens nothing.
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    // A saved page opened from disk shows its own pictures and styles (the
    // engine loads none with LocalContentCanAccessFileUrls off); each page's
    // LocalFileGuard and the profile's keep it inside its folder.
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    // Another program is started for a link only on the user's click, and
    // the page asks first (WebBrowser).
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::AllowUnknownUrlSchemesFromUserInteraction);
    profile->setUrlRequestInterceptor(new LocalFileGuard(profile));
    return profile;
}

QWebEngineProfile *browserProfile()
{
    // Deleted with the application, after the frame has taken its browser
    // windows with it; deleting it writes the cookies out.
    static QWebEngineProfile *profile = createBrowserProfile(QCoreApplication::instance());
    return profile;
}

} // namespace mirka

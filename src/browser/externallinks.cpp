#include "browser/externallinks.h"

#include "common/dialogs.h"

#include <QFile>
#include <QStandardPaths>
#include <QUrl>

#ifdef _WIN32
#include <QDesktopServices>
#include <windows.h>
#include <shlwapi.h>
#else
#include <QProcess>
#endif

namespace mirka::externallinks {

namespace {

// What a long address shows of itself in the question.
constexpr int shownAddressLength = 300;

#ifndef _WIN32
// The desktop entry's name in Japanese when it has one.
QString desktopEntryName(const QString &id)
{
    QFile file(QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id));
    if (id.isEmpty() || !file.open(QIODevice::ReadOnly))
        return QString();
    QString name, japanese;
    bool inEntry = false;
    for (const QByteArray &raw : file.read(1 << 20).split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u'['))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.startsWith(QLatin1String("Name=")))
            name = line.mid(5);
        else if (inEntry && line.startsWith(QLatin1String("Name[ja]=")))
            japanese = line.mid(9);
    }
    return japanese.isEmpty() ? name : japanese;
}
#endif

void openOutside(const QUrl &url)
{
#ifdef _WIN32
    QDesktopServices::openUrl(url);
#else
    // The desktop's own opener, as Qt's would call it on any platform
    // plugin (the offscreen one opens nothing).
    QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
#endif
}

} // namespace

bool goesOutside(const QUrl &url)
{
    static const QStringList shownHere = {
        "http", "https", "file", "about", "data", "blob", "javascript", "filesystem",
        "ws", "wss", "qrc", "view-source", "chrome", "chrome-error", "devtools",
    };
    return url.isValid() && !url.scheme().isEmpty() && !shownHere.contains(url.scheme().toLower());
}

QString handlerName(const QString &scheme)
{
    QString name;
#ifdef _WIN32
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (SUCCEEDED(AssocQueryStringW(ASSOCF_IS_PROTOCOL, ASSOCSTR_FRIENDLYAPPNAME,
                                    reinterpret_cast<const wchar_t *>(scheme.utf16()), nullptr,
                                    buffer, &length)))
        name = QString::fromWCharArray(buffer).trimmed();
#else
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), "x-scheme-handler/" + scheme});
    if (query.waitForFinished(2000) && query.exitCode() == 0)
        name = desktopEntryName(QString::fromUtf8(query.readAllStandardOutput()).trimmed());
    else
        query.kill();
#endif
    return name.isEmpty() ? QStringLiteral("システムの既定のプログラム") : name;
}

void askAndOpen(const QUrl &url, QWidget *parent)
{
    QString shown = url.toString(QUrl::FullyEncoded);
    if (shown.size() > shownAddressLength)
        shown = shown.left(shownAddressLength) + QStringLiteral("…");
    const QString scheme = url.scheme().toLower();
    const QString question =
        QStringLiteral("このリンクはブラウザの外で開くアドレスです。\n"
                       "種類: %1:\n開くプログラム: %2\nアドレス: %3\n\n開きますか?")
            .arg(scheme, handlerName(scheme), shown);
    if (MsgBox(question, MsgButtons::YesNoDefaultNo, QString(), parent) == MsgAnswer::Yes)
        openOutside(url);
}

} // namespace mirka::externallinks

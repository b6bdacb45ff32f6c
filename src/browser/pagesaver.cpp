#include "browser/pagesaver.h"

#include "browser/DownloadStatus.h"
#include "browser/WebBrowser.h"
#include "common/paths.h"
#include "model/note.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QPointer>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <functional>

namespace mirka::pagesaver {

namespace {

const char kLoadFailed[] = "mirkaLoadFailed";
const char kRecordsDue[] = "mirkaRecordsDue";
// A copy that never reports back is given up after this long.
constexpr int kGiveUpMs = 120000;

// How the copy ended: written, or not with the reason.
using Done = std::function<void(bool, const QString &)>;

// Copies being written, by target path.
QHash<QString, Done> &waiting()
{
    static QHash<QString, Done> w;
    return w;
}

void finish(const QString &path, bool ok, const QString &why)
{
    const Done done = waiting().take(path);
    if (done)
        done(ok, why);
}

void follow(QWebEngineDownloadRequest *request)
{
    if (!request->isSavePageDownload())
        return;
    const QString path = QDir::cleanPath(request->downloadDirectory() + u'/' + request->downloadFileName());
    if (!waiting().contains(path))
        return;
    auto ended = [request, path] {
        if (!request->isFinished())
            return;
        const bool ok = request->state() == QWebEngineDownloadRequest::DownloadCompleted;
        finish(path, ok, ok ? QString() : DownloadStatus::failureReason(request));
    };
    QObject::connect(request, &QWebEngineDownloadRequest::isFinishedChanged, request, ended);
    if (request->state() == QWebEngineDownloadRequest::DownloadRequested)
        request->accept();
    ended();
}

void followProfile(QWebEngineProfile *profile)
{
    if (profile->property("mirkaFollowsCopies").toBool())
        return;
    profile->setProperty("mirkaFollowsCopies", true);
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile, follow);
}

bool worthACopy(WebBrowser *b)
{
    const QUrl url = b->view()->url();
    const QString scheme = url.scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")
        && scheme != QLatin1String("file"))
        return false;
    return !b->property(kLoadFailed).toBool() && !b->ShowsErrorPage();
}

// "=?utf-8?Q?...?=" and "=?utf-8?B?...?=" words of a mail header, as
// the engine writes a page's title into its copy.
QString decodeHeader(const QByteArray &value)
{
    QString out;
    qsizetype pos = 0;
    while (pos < value.size()) {
        const qsizetype start = value.indexOf("=?", pos);
        if (start < 0) {
            out += QString::fromUtf8(value.mid(pos));
            break;
        }
        const qsizetype q1 = value.indexOf('?', start + 2);
        const qsizetype q2 = q1 < 0 ? -1 : value.indexOf('?', q1 + 1);
        const qsizetype end = q2 < 0 ? -1 : value.indexOf("?=", q2 + 1);
        if (end < 0) {
            out += QString::fromUtf8(value.mid(pos));
            break;
        }
        const QByteArray between = value.mid(pos, start - pos);
        if (!between.trimmed().isEmpty())
            out += QString::fromUtf8(between);
        const QByteArray charset = value.mid(start + 2, q1 - start - 2);
        const QByteArray encoding = value.mid(q1 + 1, q2 - q1 - 1).toUpper();
        QByteArray text = value.mid(q2 + 1, end - q2 - 1);
        if (encoding == "B") {
            text = QByteArray::fromBase64(text);
        } else {
            text.replace('_', ' ');
            text = QByteArray::fromPercentEncoding(text, '=');
        }
        QStringDecoder decoder(charset.constData());
        out += decoder.isValid() ? decoder.decode(text) : QString::fromUtf8(text);
        pos = end + 2;
    }
    return out;
}

void record(WebBrowser *browser);

// Recording asked for while the page loads takes place when the load has
// ended, whichever way: loaded, failed, stopped, or never started.
void recordWhenLoaded(WebBrowser *browser)
{
    browser->setProperty(kRecordsDue, browser->property(kRecordsDue).toInt() + 1);
    if (browser->findChild<QTimer *>(QLatin1String(kRecordsDue)))
        return;
    auto *poll = new QTimer(browser);
    poll->setObjectName(QLatin1String(kRecordsDue));
    poll->setInterval(50);
    QObject::connect(poll, &QTimer::timeout, browser, [browser, poll] {
        if (browser->Busy())
            return;
        poll->deleteLater();
        poll->setObjectName(QString());
        poll->stop();
        const int due = browser->property(kRecordsDue).toInt();
        browser->setProperty(kRecordsDue, 0);
        for (int i = 0; i < due; ++i)
            record(browser);
    });
    poll->start();
}

void record(WebBrowser *browser)
{
    QString title = browser->LocationName();
    QString address = browser->LocationURL();
    const QUrl url = browser->view()->url();
    QString copyOf;
    if (url.isLocalFile() && url.path().endsWith(QLatin1String(".mhtml"), Qt::CaseInsensitive)) {
        copyOf = url.toLocalFile();
        const auto [originalTitle, originalAddress] = originalOf(copyOf);
        if (!originalAddress.isEmpty()) {
            title = originalTitle.isEmpty() ? title : originalTitle;
            address = originalAddress;
        }
    }
    QString path;
    const quint64 id = AddRecordedPage(title, address, &path);
    QPointer<Note> note = NoteSession::instance().note();
    QPointer<WebBrowser> shown = browser;
    const Done done = [note, id, shown](bool ok, const QString &why) {
        if (note)
            note->copyWritten(id, ok);
        if (!ok && shown && !why.isEmpty())
            shown->tellCopyFailure(why);
    };
    if (path.isEmpty()) {
        const bool wanted = !copyOf.isEmpty() || worthACopy(browser);
        done(false, wanted ? QStringLiteral("一時フォルダを作れませんでした。") : QString());
        return;
    }
    if (!copyOf.isEmpty()) {
        // The copy on display is the page's copy: no need to save it again.
        const bool ok = QFile::copy(copyOf, path);
        done(ok, ok ? QString() : QStringLiteral("%1 を写せませんでした。").arg(QDir::toNativeSeparators(copyOf)));
        return;
    }
    if (!worthACopy(browser)) {
        done(false, QString()); // nothing to keep: no word about it
        return;
    }
    path = QDir::cleanPath(path);
    waiting().insert(path, done);
    QWebEnginePage *page = browser->view()->page();
    followProfile(page->profile());
    page->save(path, QWebEngineDownloadRequest::MimeHtmlSaveFormat);
    QTimer::singleShot(kGiveUpMs, [path] { finish(path, false, QStringLiteral("時間内に書き終わりませんでした。")); });
}

} // namespace

void watch(WebBrowser *browser)
{
    QObject::connect(browser->view()->page(), &QWebEnginePage::loadingChanged, browser,
                     [browser](const QWebEngineLoadingInfo &info) {
                         if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
                             browser->setProperty(kLoadFailed, false);
                         else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus
                                  || info.isErrorPage())
                             browser->setProperty(kLoadFailed, true);
                     });
}

void recordPage(WebBrowser *browser)
{
    if (browser->Busy())
        recordWhenLoaded(browser);
    else
        record(browser);
}

std::pair<QString, QString> originalOf(const QString &copyPath)
{
    if (Note *note = NoteSession::instance().note())
        for (const RecordedPage &p : note->pages())
            if (!p.copyPath.isEmpty() && samePath(p.copyPath, copyPath))
                return {p.title, p.address};
    // The copy's header: "Snapshot-Content-Location" and "Subject" before
    // the first blank line.
    QFile f(copyPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString title, address;
    QByteArray last;
    const QByteArray head = f.read(16384);
    for (const QByteArray &raw : head.split('\n')) {
        const QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
        if (line.isEmpty())
            break;
        if ((line.startsWith(' ') || line.startsWith('\t')) && last == "subject") {
            title += decodeHeader(line.trimmed());
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        last = colon < 0 ? QByteArray() : line.left(colon).trimmed().toLower();
        const QByteArray value = colon < 0 ? QByteArray() : line.mid(colon + 1).trimmed();
        if (last == "snapshot-content-location")
            address = QString::fromUtf8(value);
        else if (last == "subject")
            title = decodeHeader(value);
    }
    return {title, address};
}

} // namespace mirka::pagesaver

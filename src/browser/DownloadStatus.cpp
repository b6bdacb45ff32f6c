#include "browser/DownloadStatus.h"

#include "common/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>

namespace {

// Names the system keeps for devices: a file so named is no file.
bool isDeviceName(const QString &name)
{
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[0-9]|LPT[0-9])$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return device.match(name.section(u'.', 0, 0).trimmed()).hasMatch();
}

} // namespace

QString DownloadStatus::safeFileName(const QString &serverName)
{
    // Only the last part: the server does not choose the folder.
    QString name = serverName.mid(std::max(serverName.lastIndexOf(u'/'), serverName.lastIndexOf(u'\\')) + 1);
    for (QChar &c : name) {
        const QChar::Category kind = c.category();
        // Control and format characters (line breaks, ESC, right-to-left
        // overrides that disguise the extension), and the characters Windows
        // refuses in a name.
        if (kind == QChar::Other_Control || kind == QChar::Other_Format
            || QStringView(u"<>:\"|?*").contains(c))
            c = u'_';
    }
    // A leading dot hides the file; trailing dots and spaces vanish on Windows.
    while (!name.isEmpty() && (name.front() == u'.' || name.front().isSpace()))
        name.remove(0, 1);
    while (!name.isEmpty() && (name.back() == u'.' || name.back().isSpace()))
        name.chop(1);
    if (isDeviceName(name))
        name.prepend(u'_');
    // Short enough for any file system, with room for the dialog's own
    // additions; the extension stays.
    constexpr int maxBytes = 200;
    if (name.toUtf8().size() > maxBytes) {
        const qsizetype dot = name.lastIndexOf(u'.');
        const QString suffix = dot > 0 && name.size() - dot <= 16 ? name.mid(dot) : QString();
        QString stem = name.left(name.size() - suffix.size()).left(maxBytes);
        while (!stem.isEmpty() && (stem.back().isHighSurrogate() || (stem + suffix).toUtf8().size() > maxBytes))
            stem.chop(stem.back().isLowSurrogate() && stem.size() > 1 ? 2 : 1);
        name = stem + suffix;
    }
    return name.isEmpty() ? QStringLiteral("download") : name;
}

namespace {

QString proposedPath(const QWebEngineDownloadRequest *download)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    QString name = download->suggestedFileName();
    if (name.isEmpty())
        name = download->downloadFileName();
    return QDir::toNativeSeparators(QDir(folder).filePath(DownloadStatus::safeFileName(name)));
}

QString savedPath(const QWebEngineDownloadRequest *download)
{
    return QDir::toNativeSeparators(
        QDir(download->downloadDirectory()).filePath(download->downloadFileName()));
}

QString byteCount(qint64 bytes) { return QLocale().formattedDataSize(bytes); }

} // namespace

DownloadStatus::DownloadStatus(QWidget *parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("DownloadStatus"));
    setTextFormat(Qt::PlainText);
    setContentsMargins(4, 2, 4, 2);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    hide();
}

void DownloadStatus::start(QWebEngineDownloadRequest *download, bool userAsked)
{
    if (!userAsked) {
        // A page may not put the save dialog in front of the user by itself.
        download->cancel();
        say(QStringLiteral("ページが求めたダウンロードを止めました: %1")
                    .arg(safeFileName(download->suggestedFileName())));
        show();
        return;
    }
    mirka::CommonDialog dlg(window());
    dlg.DialogTitle = QStringLiteral("ダウンロードしたファイルの保存");
    dlg.Filter = QStringLiteral("すべてのファイル (*.*)|*.*");
    dlg.FileName = proposedPath(download);
    dlg.Flags = mirka::CommonDialog::OverwritePrompt;
    // The page asked, not the user: the keys go back where they were.
    const QPointer<QWidget> focus = QApplication::focusWidget();
    dlg.ShowSave();
    if (focus) {
        focus->activateWindow();
        focus->setFocus();
    }
    if (dlg.FileName.isEmpty()) {
        download->cancel();
        return;
    }
    const QFileInfo target(dlg.FileName);
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir() || !folder.isWritable()) {
        download->cancel();
        failed(QDir::toNativeSeparators(target.absoluteFilePath()),
               QStringLiteral("フォルダ %1 に書き込めません。")
                   .arg(QDir::toNativeSeparators(folder.absoluteFilePath())));
        return;
    }
    download->setDownloadDirectory(target.absolutePath());
    download->setDownloadFileName(target.fileName());
    m_current = download;
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this, [this, download] {
        if (download == m_current)
            showProgress();
    });
    connect(download, &QWebEngineDownloadRequest::stateChanged, this,
            [this, download] { finished(download); });
    download->accept();
    showProgress();
}

// The line may be narrower than what it says: the whole text is its tip.
void DownloadStatus::say(const QString &text)
{
    setText(text);
    setToolTip(text);
}

void DownloadStatus::tellCopyFailure(const QString &reason)
{
    if (m_current && !m_current->isFinished())
        return; // the running download keeps the line
    say(QStringLiteral("保存したページを書き込めませんでした: %1").arg(reason));
    show();
}

void DownloadStatus::clearFinished()
{
    if (!m_current || m_current->isFinished())
        hide();
}

void DownloadStatus::showProgress()
{
    const QWebEngineDownloadRequest *d = m_current;
    const qint64 total = d->totalBytes();
    const QString done = total > 0
        ? QStringLiteral("%1% (%2 / %3)")
              .arg(d->receivedBytes() * 100 / total)
              .arg(byteCount(d->receivedBytes()), byteCount(total))
        : byteCount(d->receivedBytes());
    say(QStringLiteral("ダウンロード中: %1  %2").arg(savedPath(d), done));
    show();
}

void DownloadStatus::finished(QWebEngineDownloadRequest *download)
{
    switch (download->state()) {
    case QWebEngineDownloadRequest::DownloadCompleted:
        if (download == m_current)
            say(QStringLiteral("ダウンロード完了: %1").arg(savedPath(download)));
        break;
    // The window offers no way to cancel a download once it runs, so a
    // cancelled one is one the engine gave up.
    case QWebEngineDownloadRequest::DownloadCancelled:
    case QWebEngineDownloadRequest::DownloadInterrupted:
        if (download == m_current || !m_current)
            failed(savedPath(download), failureReason(download));
        else
            tellFailure(savedPath(download), failureReason(download));
        break;
    default:
        break;
    }
}

QString DownloadStatus::failureReason(const QWebEngineDownloadRequest *request)
{
    switch (request->interruptReason()) {
    case QWebEngineDownloadRequest::FileAccessDenied:
        return QStringLiteral("書き込みが許可されていません。");
    case QWebEngineDownloadRequest::FileNoSpace:
        return QStringLiteral("ディスクの空き容量が足りません。");
    case QWebEngineDownloadRequest::FileNameTooLong:
        return QStringLiteral("ファイル名が長すぎます。");
    case QWebEngineDownloadRequest::FileTooLarge:
        return QStringLiteral("ファイルが大きすぎます。");
    default:
        return request->interruptReasonString();
    }
}

void DownloadStatus::failed(const QString &path, const QString &reason)
{
    say(QStringLiteral("ダウンロードできませんでした: %1").arg(path));
    show();
    tellFailure(path, reason);
}

void DownloadStatus::tellFailure(const QString &path, const QString &reason)
{
    mirka::MsgBox(QStringLiteral("ダウンロードできませんでした。\n%1\n%2").arg(path, reason),
                  mirka::MsgButtons::OK, QString(), window());
}

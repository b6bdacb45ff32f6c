#pragma once
#include <QLabel>
#include <QPointer>

class QWebEngineDownloadRequest;

// The line under a browser window's page that follows its downloads. A
// download is first offered in the save dialog (the user's download folder
// and the server's file name proposed); the line then shows its progress
// and how it ended, and a failure is also told in a message. Hidden until
// the first download.
class DownloadStatus : public QLabel {
    Q_OBJECT
public:
    explicit DownloadStatus(QWidget *parent = nullptr);

    // Asks where to save the download and starts it there; cancelled when
    // the user gives no file name. One the user did not ask for (userAsked
    // false: the page started it alone) is cancelled with a word on the line.
    void start(QWebEngineDownloadRequest *download, bool userAsked);
    // Says that a recorded page's copy could not be written, and why.
    void tellCopyFailure(const QString &reason);
    // Hides the line unless a download is still running.
    void clearFinished();

    // The server's name for a file made a plain name in the chosen folder:
    // its last part only, control characters and the characters Windows
    // refuses replaced, no leading dot, no device name (CON, NUL…), at most
    // 200 bytes with its extension kept; "download" when nothing is left.
    static QString safeFileName(const QString &serverName);
    // Why the engine could not write a download or a page's copy: in the
    // user's words where the cause is the disk, else the engine's own.
    static QString failureReason(const QWebEngineDownloadRequest *request);

private:
    void say(const QString &text);
    void showProgress();
    void finished(QWebEngineDownloadRequest *download);
    // Says on the line and in a message that the download to path failed.
    void failed(const QString &path, const QString &reason);
    void tellFailure(const QString &path, const QString &reason);

    // The download the line reports on: the newest one.
    QPointer<QWebEngineDownloadRequest> m_current;
};

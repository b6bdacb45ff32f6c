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
    // the user gives no file name.
    void start(QWebEngineDownloadRequest *download);

private:
    void showProgress();
    void finished(QWebEngineDownloadRequest *download);
    // Says on the line and in a message that the download to path failed.
    void failed(const QString &path, const QString &reason);
    void tellFailure(const QString &path, const QString &reason);

    // The download the line reports on: the newest one.
    QPointer<QWebEngineDownloadRequest> m_current;
};

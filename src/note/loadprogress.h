#pragma once
#include "note/richtext/rtf.h"

#include <QElapsedTimer>
#include <QPointer>

class QProgressDialog;
class QWidget;

// The progress of reading a note body. Once reading has taken about a
// second, a progress dialog in Japanese with Cancel appears, modal to the
// program, and the program keeps repainting; before that only repaints are
// let through, so no command can start in the middle of the load.
class LoadProgress {
public:
    explicit LoadProgress(QWidget *parent);
    ~LoadProgress();
    LoadProgress(const LoadProgress &) = delete;
    LoadProgress &operator=(const LoadProgress &) = delete;

    // What the reader calls; false once the user has pressed Cancel.
    mirka::rtf::Progress callback();
    bool cancelled() const { return m_cancelled; }
    // Takes the dialog down: what follows the read (a failure message among
    // them) is not left behind it.
    void close();

private:
    bool report(qsizetype done, qsizetype total);

    QWidget *m_parent;
    QPointer<QProgressDialog> m_dialog;
    QElapsedTimer m_clock;
    bool m_cancelled = false;
};

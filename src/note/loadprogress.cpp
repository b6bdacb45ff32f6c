#include "note/loadprogress.h"

#include "common/apptitle.h"

#include <QApplication>
#include <QProgressDialog>

namespace {
constexpr qint64 kShowAfterMs = 1000;
constexpr int kSteps = 1000;
} // namespace

LoadProgress::LoadProgress(QWidget *parent) : m_parent(parent) {}

LoadProgress::~LoadProgress() { close(); }

void LoadProgress::close() { delete m_dialog; }

mirka::rtf::Progress LoadProgress::callback()
{
    return [this](qsizetype done, qsizetype total) { return report(done, total); };
}

bool LoadProgress::report(qsizetype done, qsizetype total)
{
    if (!m_clock.isValid())
        m_clock.start();
    const int step = total > 0 ? int(done * kSteps / total) : 0;
    if (!m_dialog && m_clock.elapsed() >= kShowAfterMs) {
        m_dialog = new QProgressDialog(QStringLiteral("ノートを読み込んでいます..."),
                                       QStringLiteral("キャンセル"), 0, kSteps, m_parent);
        m_dialog->setWindowTitle(mirka::appTitle());
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->show();
    }
    if (m_dialog) {
        // A modal progress dialog turns the event loop in setValue.
        m_dialog->setValue(step);
        QApplication::processEvents();
        m_cancelled = m_dialog->wasCanceled();
    } else {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    return !m_cancelled;
}

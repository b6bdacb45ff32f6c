#include "shell/datetimestatusbar.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QTimer>

namespace {

QLabel *panel(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    l->setContentsMargins(4, 0, 4, 0);
    return l;
}

QString timeFormat() { return QLocale().timeFormat(QLocale::ShortFormat); }

} // namespace

DateTimeStatusBar::DateTimeStatusBar(QWidget *parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("sbStatusBar"));
    setSizeGripEnabled(false);
    m_text = panel(QStringLiteral("ｽﾃｰﾀｽ"), this);
    m_date = panel(QString(), this);
    m_time = panel(QString(), this);
    // Permanent widgets: a menu item's (empty) status tip must not hide the panels.
    addPermanentWidget(m_text, 1);
    addPermanentWidget(m_date);
    addPermanentWidget(m_time);

    m_tick = new QTimer(this);
    m_tick->setSingleShot(true);
    m_tick->setTimerType(Qt::CoarseTimer);
    connect(m_tick, &QTimer::timeout, this, &DateTimeStatusBar::refresh);
    refresh();
}

QString DateTimeStatusBar::dateText(const QDateTime &when)
{
    return QLocale().toString(when.date(), QLocale::ShortFormat);
}

QString DateTimeStatusBar::timeText(const QDateTime &when)
{
    return QLocale().toString(when.time(), timeFormat());
}

void DateTimeStatusBar::refresh()
{
    const QDateTime now = QDateTime::currentDateTime();
    m_date->setText(dateText(now));
    m_time->setText(timeText(now));
    // Wake at the next boundary the panels can show: the next second when the
    // time shows seconds, otherwise the next minute (which also turns the date).
    const QTime t = now.time();
    const bool seconds = timeFormat().contains(u's');
    int wait = 1000 - t.msec();
    if (!seconds)
        wait += (59 - t.second()) * 1000;
    m_tick->start(wait + 20);
}

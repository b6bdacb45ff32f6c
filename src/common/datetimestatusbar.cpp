#include "common/datetimestatusbar.h"

#include <QDateTime>
#include <QLabel>
#include <QTimer>

namespace {

QLabel *panel(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    l->setContentsMargins(4, 0, 4, 0);
    return l;
}

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

// The short forms of the Japanese systems the program is made for.
QString DateTimeStatusBar::dateText(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyy/MM/dd"));
}

QString DateTimeStatusBar::timeText(const QDateTime &when)
{
    return when.toString(QStringLiteral("H:mm"));
}

void DateTimeStatusBar::refresh()
{
    const QDateTime now = QDateTime::currentDateTime();
    m_date->setText(dateText(now));
    m_time->setText(timeText(now));
    // Wake just after the next minute begins (which also turns the date).
    const QTime t = now.time();
    m_tick->start(60000 - (t.second() * 1000 + t.msec()) + 20);
}

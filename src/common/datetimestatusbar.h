#pragma once
#include <QStatusBar>

class QLabel;
class QTimer;

// The three-panel status bar of the frame and the note window: a text panel
// with "ｽﾃｰﾀｽ", the current date and the current time. The date and time keep
// themselves current; nothing else writes to the bar.
class DateTimeStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit DateTimeStatusBar(QWidget *parent = nullptr);

    QLabel *textPanel() const { return m_text; }
    QLabel *datePanel() const { return m_date; }
    QLabel *timePanel() const { return m_time; }

    // The texts the date and time panels show for a moment.
    static QString dateText(const QDateTime &when);
    static QString timeText(const QDateTime &when);

private:
    void refresh();

    QLabel *m_text = nullptr;
    QLabel *m_date = nullptr;
    QLabel *m_time = nullptr;
    QTimer *m_tick = nullptr;
};

#pragma once
#include <QObject>
#include <QString>

namespace mirka {

// The three options as live values: every window reads them at the moment
// of use, so an edit in the Options dialog takes effect at once. They are
// read from "mirka.ini" on first use and written back only by save().
class Options : public QObject {
    Q_OBJECT
public:
    // The program's options, read from the options file on first use.
    static Options &current();
    static bool isLoaded();
    // Drops the values without saving them: the next current() reads the
    // file again.
    static void forget();

    QString startPage() const { return m_startPage; }
    QString searchPage() const { return m_searchPage; }
    // 0 unchecked, 1 checked, 2 grey.
    int openBrowserAtStart() const { return m_check; }

    void setStartPage(const QString &address);
    void setSearchPage(const QString &address);
    // Values other than 0, 1 and 2 leave the option as it is.
    void setOpenBrowserAtStart(int value);

    // Reads the options file; fields it lacks become empty (unchecked). A
    // file too large to be an options file is not read: notice() says so.
    void load();
    // Writes the options file; false with the reason when it cannot.
    bool save(QString *reason) const;

    static QString filePath();
    // What the user should be told about the last load, once.
    QString takeNotice();

signals:
    void changed();

private:
    Options() = default;
    QString m_startPage;
    QString m_searchPage;
    int m_check = 0;
    QString m_notice;
};

} // namespace mirka

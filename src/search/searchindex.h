#pragma once
#include "search/textfold.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

class QSqlError;

// The search index across notes and their saved page copies: one SQLite
// file (Qt's QSQLITE driver) with an FTS5 trigram table for words of three
// characters or more and a bigram table for shorter ones, both over text
// folded as the find bar folds it (case and width, kana kept apart). The
// text as read is kept compressed beside them, for the lines shown with a
// result and for matching with the options the index does not fold by.
//
// One object is one connection; use it from one thread. No widgets.
namespace mirka::search {

enum class Kind { Note = 0, Copy = 1 };

// A note, or a saved copy of a page it recorded.
struct Entry {
    Kind kind = Kind::Note;
    QString path;    // the note's body file, or the copy's file
    QString folder;  // the folder it was found in
    QString note;    // a copy's note (its body file)
    QString title;   // a note's theme, a copy's page title
    QString address; // a copy's page address
    QDateTime when;  // a note's last change, a copy's recording
    QString stamp;   // the files' sizes and times when it was read
};

struct Hit {
    qint64 id = 0;
    Entry entry;
};

// The words of a result around its first match.
struct Snippet {
    QString html;  // the match in <b>
    QString match; // the match as the text has it
};

class SearchIndex {
public:
    explicit SearchIndex(const QString &file);
    ~SearchIndex();
    SearchIndex(const SearchIndex &) = delete;
    SearchIndex &operator=(const SearchIndex &) = delete;

    // Opens the file; one that is missing, damaged or of another make is
    // made afresh (*fresh tells). False when no index can be had there.
    bool open(bool *fresh = nullptr);
    // Opens the file to search it, changing nothing; false when it is not an
    // index of this make.
    bool openForReading();
    void close();
    bool isOpen() const;
    QString file() const { return m_file; }
    // A statement failed in a way that says the file is damaged.
    bool damaged() const { return m_damaged; }

    bool begin();
    bool commit();
    // Adds the entry with its text, replacing what the index had for its path.
    bool put(const Entry &entry, const QString &text);
    bool remove(const QString &path);
    bool removeFolder(const QString &folder);
    // path → stamp of every entry found in the folder (of one note and its
    // copies, when given).
    QHash<QString, QString> stamps(const QString &folder, const QString &note = QString());
    qint64 count();

    // Entries holding every word of the query (blanks part words), newest
    // first, at most limit of them (*more tells whether there are others).
    QList<Hit> search(const QString &query, mirka::textfold::Options options, int limit = 500,
                      bool *more = nullptr);
    // The words of the result around its first match (empty when none).
    Snippet snippet(qint64 id, const QString &query, mirka::textfold::Options options);

private:
    bool exec(const QString &sql);
    bool connect();
    bool usable();
    bool make();
    bool removeId(qint64 id);
    QString rawText(qint64 id);
    void failed(const QSqlError &error);

    QString m_file;
    QString m_connection;
    bool m_damaged = false;
};

// The words of a query as the index holds them.
QStringList queryWords(const QString &query, mirka::textfold::Options options);

} // namespace mirka::search

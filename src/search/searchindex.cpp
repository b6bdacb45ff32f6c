#include "search/searchindex.h"

#include <QAtomicInt>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace mirka::search {

namespace {

// Raised whenever the tables or the folding change: an index of another
// make is built afresh.
constexpr int kMake = 1;

QAtomicInt g_connections;

const mirka::textfold::Options kIndexFolding{};

// The ascii tokenizer splits at ASCII signs and blanks; moved to the
// private use area they stay inside a token.
void appendCode(QString &out, char32_t c)
{
    if (c < 0x80 && !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
        c += 0xE000;
    if (QChar::requiresSurrogates(c)) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    } else {
        out += QChar(char16_t(c));
    }
}

QString token(const QString &text)
{
    QString out;
    for (uint c : text.toUcs4())
        appendCode(out, c);
    return out;
}

// Every two neighbouring characters as one token, and the last alone, so
// that a word of one character is a prefix and one of two a token.
QString bigrams(const QString &folded)
{
    const QList<uint> codes = folded.toUcs4();
    QString out;
    out.reserve(folded.size() * 3);
    for (qsizetype i = 0; i < codes.size(); ++i) {
        appendCode(out, codes[i]);
        if (i + 1 < codes.size())
            appendCode(out, codes[i + 1]);
        out += u' ';
    }
    return out;
}

QString phrase(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString otherKana(const QString &word, bool toKatakana)
{
    QString out = word;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (toKatakana && ((u >= 0x3041 && u <= 0x3096) || u == 0x309D || u == 0x309E))
            c = QChar(char16_t(u + 0x60));
        else if (!toKatakana && ((u >= 0x30A1 && u <= 0x30F6) || u == 0x30FD || u == 0x30FE))
            c = QChar(char16_t(u - 0x60));
    }
    return out;
}

// The subquery giving the rows that hold a word (any of its forms).
std::pair<QString, QString> wordQuery(const QString &word, mirka::textfold::Options options)
{
    QStringList forms{word};
    if (options.kanaInsensitive)
        for (const QString &f : {otherKana(word, false), otherKana(word, true)})
            if (!forms.contains(f))
                forms << f;
    const qsizetype length = word.toUcs4().size();
    QStringList match;
    for (const QString &f : forms) {
        if (length >= 3)
            match << phrase(f);
        else
            match << phrase(token(f)) + (length == 1 ? QStringLiteral(" *") : QString());
    }
    const QString table = length >= 3 ? QStringLiteral("tri") : QStringLiteral("bi");
    return {QStringLiteral("SELECT rowid FROM %1 WHERE %1 MATCH ?").arg(table), match.join(QStringLiteral(" OR "))};
}

QString escaped(QStringView text)
{
    QString out = text.toString().toHtmlEscaped();
    for (QChar &c : out)
        if (c == u'\n' || c == u'\r' || c == u'\t' || c == QChar::ParagraphSeparator)
            c = u' ';
    return out;
}

} // namespace

QStringList queryWords(const QString &query, mirka::textfold::Options options)
{
    QStringList words;
    for (const QString &w : mirka::textfold::fold(query, options).split(u' ', Qt::SkipEmptyParts))
        if (!w.trimmed().isEmpty())
            words << w.trimmed();
    return words;
}

SearchIndex::SearchIndex(const QString &file)
    : m_file(file), m_connection(QStringLiteral("mirka-search-%1").arg(g_connections.fetchAndAddRelaxed(1)))
{
}

SearchIndex::~SearchIndex() { close(); }

void SearchIndex::close()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

bool SearchIndex::isOpen() const
{
    return QSqlDatabase::contains(m_connection) && QSqlDatabase::database(m_connection, false).isOpen();
}

bool SearchIndex::exec(const QString &sql)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (q.exec(sql))
        return true;
    failed(q.lastError());
    return false;
}

void SearchIndex::failed(const QSqlError &error)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    // SQLITE_CORRUPT, SQLITE_NOTADB
    if (code == 11 || code == 26 || error.text().contains(QLatin1String("malformed")))
        m_damaged = true;
}

bool SearchIndex::connect()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_file);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    return db.open() && exec(QStringLiteral("PRAGMA cache_size=-8000"));
}

bool SearchIndex::usable()
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next() || q.value(0).toInt() != kMake) {
        failed(q.lastError());
        return false;
    }
    return q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN ('docs','texts','tri','bi')"))
        && q.next() && q.value(0).toInt() == 4;
}

bool SearchIndex::openForReading()
{
    close();
    m_damaged = false;
    return connect() && usable();
}

bool SearchIndex::open(bool *fresh)
{
    if (fresh)
        *fresh = false;
    close();
    m_damaged = false;
    // Readers go on while the index is written.
    auto writable = [this] {
        return exec(QStringLiteral("PRAGMA journal_mode=WAL")) && exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    };
    if (connect() && writable() && usable())
        return true;
    // Missing, damaged or of another make: the index is only ever a copy
    // of what the files say, so it is made again.
    close();
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(m_file + suffix);
    if (fresh)
        *fresh = true;
    m_damaged = false;
    return connect() && writable() && make();
}

bool SearchIndex::make()
{
    const char *const statements[] = {
        "CREATE TABLE docs(id INTEGER PRIMARY KEY, kind INTEGER NOT NULL, path TEXT NOT NULL UNIQUE,"
        " folder TEXT NOT NULL, note TEXT, title TEXT, address TEXT, whenms INTEGER, stamp TEXT)",
        "CREATE INDEX docs_folder ON docs(folder)",
        "CREATE TABLE texts(id INTEGER PRIMARY KEY, raw BLOB)",
        // Contentless: the folded text is given again to delete a row.
        "CREATE VIRTUAL TABLE tri USING fts5(t, tokenize='trigram', content='')",
        "CREATE VIRTUAL TABLE bi USING fts5(t, tokenize='ascii', content='', detail=none)",
    };
    if (!begin())
        return false;
    for (const char *sql : statements)
        if (!exec(QLatin1String(sql)))
            return false;
    return exec(QStringLiteral("PRAGMA user_version=%1").arg(kMake)) && commit();
}

bool SearchIndex::begin() { return exec(QStringLiteral("BEGIN IMMEDIATE")); }

bool SearchIndex::commit()
{
    if (exec(QStringLiteral("COMMIT")))
        return true;
    exec(QStringLiteral("ROLLBACK"));
    return false;
}

QString SearchIndex::rawText(qint64 id)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT raw FROM texts WHERE id=?"));
    q.addBindValue(id);
    if (!q.exec()) {
        failed(q.lastError());
        return {};
    }
    return q.next() ? QString::fromUtf8(qUncompress(q.value(0).toByteArray())) : QString();
}

bool SearchIndex::removeId(qint64 id)
{
    const QString folded = mirka::textfold::fold(rawText(id), kIndexFolding);
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    for (const auto &[table, text] : {std::pair{QStringLiteral("tri"), folded}, std::pair{QStringLiteral("bi"), bigrams(folded)}}) {
        q.prepare(QStringLiteral("INSERT INTO %1(%1, rowid, t) VALUES('delete', ?, ?)").arg(table));
        q.addBindValue(id);
        q.addBindValue(text);
        if (!q.exec()) {
            failed(q.lastError());
            return false;
        }
    }
    for (const QString &sql : {QStringLiteral("DELETE FROM texts WHERE id=?"), QStringLiteral("DELETE FROM docs WHERE id=?")}) {
        q.prepare(sql);
        q.addBindValue(id);
        if (!q.exec()) {
            failed(q.lastError());
            return false;
        }
    }
    return true;
}

bool SearchIndex::remove(const QString &path)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT id FROM docs WHERE path=?"));
    q.addBindValue(path);
    if (!q.exec()) {
        failed(q.lastError());
        return false;
    }
    QList<qint64> ids;
    while (q.next())
        ids << q.value(0).toLongLong();
    for (qint64 id : ids)
        if (!removeId(id))
            return false;
    return true;
}

bool SearchIndex::removeFolder(const QString &folder)
{
    const QStringList paths = stamps(folder).keys();
    for (const QString &path : paths)
        if (!remove(path))
            return false;
    return !m_damaged;
}

bool SearchIndex::put(const Entry &e, const QString &text)
{
    if (!remove(e.path))
        return false;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("INSERT INTO docs(kind, path, folder, note, title, address, whenms, stamp)"
                             " VALUES(?, ?, ?, ?, ?, ?, ?, ?)"));
    q.addBindValue(int(e.kind));
    q.addBindValue(e.path);
    q.addBindValue(e.folder);
    q.addBindValue(e.note);
    q.addBindValue(e.title);
    q.addBindValue(e.address);
    q.addBindValue(e.when.isValid() ? e.when.toMSecsSinceEpoch() : 0);
    q.addBindValue(e.stamp);
    if (!q.exec()) {
        failed(q.lastError());
        return false;
    }
    const qint64 id = q.lastInsertId().toLongLong();
    const QString folded = mirka::textfold::fold(text, kIndexFolding);
    const std::pair<QString, QVariant> rows[] = {
        {QStringLiteral("INSERT INTO texts(id, raw) VALUES(?, ?)"), qCompress(text.toUtf8())},
        {QStringLiteral("INSERT INTO tri(rowid, t) VALUES(?, ?)"), folded},
        {QStringLiteral("INSERT INTO bi(rowid, t) VALUES(?, ?)"), bigrams(folded)},
    };
    for (const auto &[sql, value] : rows) {
        q.prepare(sql);
        q.addBindValue(id);
        q.addBindValue(value);
        if (!q.exec()) {
            failed(q.lastError());
            return false;
        }
    }
    return true;
}

QHash<QString, QString> SearchIndex::stamps(const QString &folder, const QString &note)
{
    QHash<QString, QString> out;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("SELECT path, stamp FROM docs WHERE folder=?")
              + (note.isEmpty() ? QString() : QStringLiteral(" AND (path=? OR note=?)")));
    q.addBindValue(folder);
    if (!note.isEmpty()) {
        q.addBindValue(note);
        q.addBindValue(note);
    }
    if (!q.exec()) {
        failed(q.lastError());
        return out;
    }
    while (q.next())
        out.insert(q.value(0).toString(), q.value(1).toString());
    return out;
}

qint64 SearchIndex::count()
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral("SELECT count(*) FROM docs")) || !q.next()) {
        failed(q.lastError());
        return 0;
    }
    return q.value(0).toLongLong();
}

QList<Hit> SearchIndex::search(const QString &query, mirka::textfold::Options options, int limit, bool *more)
{
    if (more)
        *more = false;
    QList<Hit> out;
    const QStringList words = queryWords(query, kIndexFolding);
    if (words.isEmpty())
        return out;
    QStringList where;
    QStringList matches;
    for (const QString &w : words) {
        const auto [sql, match] = wordQuery(w, options);
        where << QStringLiteral("id IN (%1)").arg(sql);
        matches << match;
    }
    // The index folds case; when it matters, each text is looked at.
    const QStringList exact = queryWords(query, options);
    const bool check = options.caseSensitive && exact != queryWords(query, {false, options.kanaInsensitive});
    auto holdsAll = [&](qint64 id) {
        const mirka::textfold::FoldedText text(rawText(id), options);
        return std::all_of(exact.begin(), exact.end(), [&](const QString &w) { return text.findFirst(w).start >= 0; });
    };
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT id, kind, path, folder, note, title, address, whenms, stamp FROM docs WHERE %1"
                             " ORDER BY whenms DESC%2")
                  .arg(where.join(QStringLiteral(" AND ")),
                       check ? QString() : QStringLiteral(" LIMIT %1").arg(limit + 1)));
    for (const QString &m : matches)
        q.addBindValue(m);
    if (!q.exec()) {
        failed(q.lastError());
        return out;
    }
    while (q.next()) {
        if (out.size() == limit) {
            if (more)
                *more = true;
            break;
        }
        Hit h;
        h.id = q.value(0).toLongLong();
        if (check && !holdsAll(h.id))
            continue;
        h.entry.kind = Kind(q.value(1).toInt());
        h.entry.path = q.value(2).toString();
        h.entry.folder = q.value(3).toString();
        h.entry.note = q.value(4).toString();
        h.entry.title = q.value(5).toString();
        h.entry.address = q.value(6).toString();
        const qint64 ms = q.value(7).toLongLong();
        h.entry.when = ms ? QDateTime::fromMSecsSinceEpoch(ms) : QDateTime();
        h.entry.stamp = q.value(8).toString();
        out << h;
    }
    return out;
}

Snippet SearchIndex::snippet(qint64 id, const QString &query, mirka::textfold::Options options)
{
    const QString raw = rawText(id);
    const mirka::textfold::FoldedText text(raw, options);
    mirka::textfold::Range first{-1, -1};
    for (const QString &w : queryWords(query, options)) {
        const mirka::textfold::Range r = text.findFirst(w);
        if (r.start >= 0 && (first.start < 0 || r.start < first.start))
            first = r;
    }
    if (first.start < 0)
        return {};
    const int from = qMax(0, first.start - 30);
    const int to = qMin(int(raw.size()), first.end + 60);
    const QStringView all(raw);
    const QString match = all.sliced(first.start, first.end - first.start).toString();
    return {(from > 0 ? QStringLiteral("…") : QString()) + escaped(all.sliced(from, first.start - from))
                + QStringLiteral("<b>") + escaped(match) + QStringLiteral("</b>")
                + escaped(all.sliced(first.end, to - first.end)) + (to < raw.size() ? QStringLiteral("…") : QString()),
            match};
}

} // namespace mirka::search

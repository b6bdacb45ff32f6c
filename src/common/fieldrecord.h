#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// The one line format of the options, companion and favourites files:
// values separated by commas, text values between double quotes with nothing
// escaped, numbers as bare digits, each line ended by CR LF, in CP932.
namespace mirka {

class FieldRecordWriter {
public:
    // A text value between double quotes. A double quote inside the value
    // would end the field early and shift every later field on reading, so it
    // is written as U+201D, which CP932 holds and which looks alike; a CR,
    // LF or other control character, which would end or garble the line, as
    // a space.
    FieldRecordWriter &text(const QString &value);
    FieldRecordWriter &number(qint64 value);
    // Ends the current line with CR LF.
    FieldRecordWriter &endLine();

    QByteArray data() const { return m_data; }

private:
    void separate();
    QByteArray m_data;
    bool m_lineHasValue = false;
};

// Reads values one after another, across lines, as the writer wrote them.
class FieldRecordReader {
public:
    explicit FieldRecordReader(const QByteArray &cp932Bytes);
    explicit FieldRecordReader(const QString &text);

    // True when nothing but blanks and line ends is left.
    bool atEnd() const;
    // Reads the next value into *out. Returns false, leaving *out untouched,
    // when the end has been reached.
    bool read(QString *out);
    // Reads the next value as a whole number; false at the end or when the
    // value does not read as one (the value is consumed either way).
    bool readInt(int *out);

    // The values of one line, read by the same rule.
    static QStringList splitLine(const QString &line);
    // The lines of a text, split at CR LF, CR or LF; no empty last line.
    static QStringList lines(const QString &text);
    // The same split on the file's bytes, for keeping a line byte for byte
    // (CP932 trail bytes are never CR or LF).
    static QList<QByteArray> lines(const QByteArray &bytes);
    // The same lines one at a time, until f returns false, so a reader that
    // takes only so many never splits the rest of a large file.
    static void forEachLine(const QByteArray &bytes, const std::function<bool(const QByteArray &)> &f);

private:
    QString m_text;
    qsizetype m_pos = 0;
};

} // namespace mirka

#include "common/fieldrecord.h"

#include "common/codepage.h"

namespace mirka {

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool isLineEnd(QChar c) { return c == u'\r' || c == u'\n'; }

// Moves past one line end (CR LF, CR or LF) at pos, if there is one.
qsizetype skipLineEnd(const QString &s, qsizetype pos)
{
    if (pos < s.size() && s[pos] == u'\r')
        ++pos;
    if (pos < s.size() && s[pos] == u'\n')
        ++pos;
    return pos;
}

// Reads one value starting at pos; returns the position after its separator.
qsizetype readValue(const QString &s, qsizetype pos, QString *out)
{
    const qsizetype n = s.size();
    while (pos < n && isBlank(s[pos]))
        ++pos;
    if (pos < n && s[pos] == u'"') {
        ++pos;
        qsizetype end = pos;
        // A missing closing quote runs to the end of the line.
        while (end < n && s[end] != u'"' && !isLineEnd(s[end]))
            ++end;
        *out = s.mid(pos, end - pos);
        pos = end;
        if (pos < n && s[pos] == u'"')
            ++pos;
        // Whatever stands between the closing quote and the separator is not
        // part of the format and is dropped.
        while (pos < n && s[pos] != u',' && !isLineEnd(s[pos]))
            ++pos;
    } else {
        qsizetype end = pos;
        while (end < n && s[end] != u',' && !isLineEnd(s[end]))
            ++end;
        *out = s.mid(pos, end - pos).trimmed();
        pos = end;
    }
    if (pos < n && s[pos] == u',')
        return pos + 1;
    return skipLineEnd(s, pos);
}

} // namespace

void FieldRecordWriter::separate()
{
    if (m_lineHasValue)
        m_data += ',';
    m_lineHasValue = true;
}

FieldRecordWriter &FieldRecordWriter::text(const QString &value)
{
    separate();
    QString v = value;
    v.replace(u'"', QChar(0x201D));
    // A line break inside a value would end the record early on reading.
    for (QChar &c : v)
        if (c.category() == QChar::Other_Control)
            c = u' ';
    m_data += '"';
    m_data += cp932::encode(v);
    m_data += '"';
    return *this;
}

FieldRecordWriter &FieldRecordWriter::number(qint64 value)
{
    separate();
    m_data += QByteArray::number(value);
    return *this;
}

FieldRecordWriter &FieldRecordWriter::endLine()
{
    m_data += "\r\n";
    m_lineHasValue = false;
    return *this;
}

FieldRecordReader::FieldRecordReader(const QByteArray &cp932Bytes)
    : m_text(cp932::decode(cp932Bytes))
{
}

FieldRecordReader::FieldRecordReader(const QString &text) : m_text(text) {}

bool FieldRecordReader::atEnd() const
{
    for (qsizetype i = m_pos; i < m_text.size(); ++i) {
        const QChar c = m_text[i];
        if (!isBlank(c) && !isLineEnd(c))
            return false;
    }
    return true;
}

bool FieldRecordReader::read(QString *out)
{
    if (m_pos >= m_text.size())
        return false;
    m_pos = readValue(m_text, m_pos, out);
    return true;
}

bool FieldRecordReader::readInt(int *out)
{
    QString v;
    if (!read(&v))
        return false;
    bool ok = false;
    const int n = v.trimmed().toInt(&ok);
    if (ok)
        *out = n;
    return ok;
}

QStringList FieldRecordReader::splitLine(const QString &line)
{
    QStringList values;
    qsizetype pos = 0;
    const qsizetype n = line.size();
    while (pos < n) {
        QString v;
        const qsizetype next = readValue(line, pos, &v);
        values << v;
        const bool endedByComma = next > 0 && line[next - 1] == u',';
        pos = next;
        if (endedByComma && pos >= n)
            values << QString(); // "a," holds an empty second value
        if (!endedByComma)
            break;
    }
    return values;
}

namespace {

// Calls f with each line, split at CR LF, CR or LF, until it returns false.
template<typename Text, typename Char, typename F> void eachLine(const Text &text, F f)
{
    const auto lineEnd = [](Char c) { return c == Char('\r') || c == Char('\n'); };
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && !lineEnd(text[end]))
            ++end;
        if (!f(text.mid(pos, end - pos)))
            return;
        if (end < n && text[end] == Char('\r'))
            ++end;
        if (end < n && text[end] == Char('\n'))
            ++end;
        pos = end;
    }
}

template<typename Text, typename Char> QList<Text> splitLines(const Text &text)
{
    QList<Text> out;
    eachLine<Text, Char>(text, [&out](const Text &line) {
        out << line;
        return true;
    });
    return out;
}

} // namespace

QStringList FieldRecordReader::lines(const QString &text) { return splitLines<QString, QChar>(text); }

QList<QByteArray> FieldRecordReader::lines(const QByteArray &bytes)
{
    return splitLines<QByteArray, char>(bytes);
}

void FieldRecordReader::forEachLine(const QByteArray &bytes,
                                    const std::function<bool(const QByteArray &)> &f)
{
    eachLine<QByteArray, char>(bytes, f);
}

} // namespace mirka

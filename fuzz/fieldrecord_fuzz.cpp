// The field-record files on arbitrary bytes. Reading must neither crash nor
// hang; what the writer, the favourites formatter and the options writer
// write must read back as the values they were given (a double quote turns
// into U+201D and what CP932 lacks into "?", as the format says); and every
// line of a favourites file survives a parse and a format byte for byte.
#include "model/favourites.h"
#include "common/codepage.h"
#include "common/fieldrecord.h"
#include "model/optionsfile.h"

#include <QList>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what, const QString &a, const QString &b)
{
    std::fprintf(stderr, "%s: wrote \"%s\", read \"%s\"\n", what, qPrintable(a), qPrintable(b));
    std::abort();
}

// What a text value reads back as: control characters (line breaks among
// them) turn into blanks.
QString stored(const QString &value)
{
    QString v = value;
    v.replace(u'"', QChar(0x201D));
    for (QChar &c : v)
        if (c.category() == QChar::Other_Control)
            c = u' ';
    return mirka::cp932::decode(mirka::cp932::encode(v));
}

QList<QString> valuesFrom(const QByteArray &bytes)
{
    QList<QString> values;
    for (const QByteArray &piece : bytes.split('\0')) {
        values << mirka::cp932::decode(piece);
    }
    return values;
}

bool sameFavourite(const mirka::favourites::Favourite &a, const mirka::favourites::Favourite &b)
{
    return a.icon == b.icon && a.text == b.text && a.address == b.address && a.storedLine == b.storedLine;
}

void readAnything(const QByteArray &bytes)
{
    mirka::FieldRecordReader r(bytes);
    QString v;
    int guard = 0;
    while (!r.atEnd() && r.read(&v) && ++guard < 1000000) {
    }
    mirka::FieldRecordReader r2(bytes);
    int n = 0;
    r2.readInt(&n);
    for (const QString &line : mirka::FieldRecordReader::lines(mirka::cp932::decode(bytes)))
        mirka::FieldRecordReader::splitLine(line);
}

void writerRoundTrip(const QList<QString> &values)
{
    mirka::FieldRecordWriter w;
    for (qsizetype i = 0; i < values.size(); ++i) {
        w.text(values[i]).number(values[i].size() - 7);
        if (i % 3 == 2)
            w.endLine();
    }
    w.endLine();
    mirka::FieldRecordReader r(w.data());
    for (qsizetype i = 0; i < values.size(); ++i) {
        QString v;
        if (!r.read(&v) || v != stored(values[i]))
            fail("field-record text", values[i], v);
        int n = 0;
        if (!r.readInt(&n) || n != values[i].size() - 7)
            fail("field-record number", QString::number(values[i].size() - 7), QString::number(n));
    }
    if (!r.atEnd())
        fail("field-record end", QString(), QString());
}

void favouritesRoundTrip(const QByteArray &bytes, const QList<QString> &values)
{
    using namespace mirka::favourites;
    // The file as it is: a parse and a format keep every favourite, and the
    // formatted file formats to itself.
    const QList<Favourite> list = parse(bytes);
    const QByteArray out = format(list);
    const QList<Favourite> again = parse(out);
    if (again.size() != list.size())
        fail("favourites count", QString::number(list.size()), QString::number(again.size()));
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (!sameFavourite(list[i], again[i]))
            fail("favourite", list[i].text + u'|' + list[i].address, again[i].text + u'|' + again[i].address);
    }
    if (format(again) != out)
        fail("favourites file", QString::fromLatin1(out.toHex()), QString());

    // Favourites as the user adds them.
    QList<Favourite> added;
    for (qsizetype i = 0; i + 1 < values.size(); i += 2) {
        Favourite f;
        f.icon = int(values[i].size() % iconCount) + 1;
        f.text = values[i];
        f.address = values[i + 1];
        added << f;
    }
    const QList<Favourite> read = parse(format(added));
    qsizetype k = 0;
    for (const Favourite &f : added) {
        // A favourite with empty text and address is a line of its own all
        // the same ("1","","" is not blank).
        if (k >= read.size())
            fail("favourite lost", f.text, QString());
        const Favourite &r = read[k++];
        // Addresses go out in a form CP932 holds exactly; plain ones as
        // they are.
        bool plain = true;
        for (QChar c : f.address)
            plain = plain && c.unicode() > 0x20 && c.unicode() < 0x7F && c != u'"';
        if (r.icon != f.icon || r.text != stored(f.text) || (plain && r.address != f.address))
            fail("favourite", f.text + u'|' + f.address, r.text + u'|' + r.address);
    }
}

void optionsRoundTrip(const QByteArray &bytes, const QList<QString> &values)
{
    using namespace mirka::options;
    const Values loaded = parse(bytes);
    (void)format(loaded);
    Values v;
    v.startPage = values.value(0);
    v.searchPage = values.value(1);
    v.check = int(bytes.size() % 3);
    const Values back = parse(format(v));
    if (back.startPage != stored(v.startPage) || back.searchPage != stored(v.searchPage))
        fail("options", v.startPage + u'|' + v.searchPage, back.startPage + u'|' + back.searchPage);
    if (back.check != v.check)
        fail("options check", QString::number(v.check), QString::number(back.check));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    readAnything(bytes);
    const QList<QString> values = valuesFrom(bytes);
    writerRoundTrip(values);
    favouritesRoundTrip(bytes, values);
    optionsRoundTrip(bytes, values);
    return 0;
}

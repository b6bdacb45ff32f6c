// The RTF writer: what it writes, and that reading it back gives every
// character the same text and formatting.
#include "note/richtext/rtf.h"
#include "note/richtext/rtfformat.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

namespace {

QTextCharFormat fmt(const QString &family, double size)
{
    QTextCharFormat f;
    f.setFontFamilies({family});
    f.setFontPointSize(size);
    return f;
}

// A document using every attribute the writer keeps.
void fill(QTextDocument &doc)
{
    doc.setDefaultFont(QFont(QStringLiteral("Noto Sans CJK JP"), 11));
    QTextCursor c(&doc);
    QTextCharFormat plain;
    c.insertText(QStringLiteral("既定の書式 default "), plain);
    QTextCharFormat f = fmt(QStringLiteral("ＭＳ Ｐゴシック"), 11.25);
    f.setFontWeight(QFont::Bold);
    c.insertText(QStringLiteral("太字表ソ〜\\{}"), f);
    f = fmt(QStringLiteral("Arial"), 10.5);
    f.setFontItalic(true);
    f.setForeground(QColor(200, 10, 30));
    c.insertText(QStringLiteral("café €"), f);
    f.setFontUnderline(true);
    f.setBackground(QColor(255, 255, 0));
    c.insertText(QStringLiteral("가😀\tx\u2028y\u00A0z"), f);

    QTextBlockFormat b;
    b.setAlignment(Qt::AlignHCenter);
    b.setLeftMargin(720 / 15.0);
    b.setTextIndent(-360 / 15.0);
    b.setTopMargin(120 / 15.0);
    c.insertBlock(b, plain);
    f = fmt(QStringLiteral("游ゴシック"), 20);
    f.setFontStrikeOut(true);
    f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    c.insertText(QStringLiteral("中央"), f);
    f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    f.setForeground(QColor(0, 0, 255));
    c.insertText(QStringLiteral("下付き"), f);

    b = QTextBlockFormat();
    b.setAlignment(Qt::AlignRight);
    b.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
    c.insertBlock(b, plain);
    c.insertText(QStringLiteral("右"), fmt(QStringLiteral("Noto Serif CJK JP"), 9));
    b = QTextBlockFormat();
    b.setAlignment(Qt::AlignJustify);
    b.setRightMargin(100 / 15.0);
    // An empty line in 24 pt bold, in a face whose name holds a semicolon.
    QTextCharFormat emptyLine = fmt(QStringLiteral("Semi;colon"), 24);
    emptyLine.setFontWeight(QFont::Bold);
    c.insertBlock(b, emptyLine);
    c.insertBlock(QTextBlockFormat(), plain);
    c.insertText(QStringLiteral("最後"), plain);
}

QString describe(const QTextDocument &doc, int pos)
{
    QTextCursor c(const_cast<QTextDocument *>(&doc));
    c.setPosition(pos + 1);
    const mirka::rtf::Shown s = mirka::rtf::shownFormat(c.charFormat(), doc.defaultFont());
    const mirka::rtf::ParaProps p = mirka::rtf::fromBlockFormat(doc.findBlock(pos).blockFormat());
    return mirka::rtf::describe(s)
        + QStringLiteral(" | a%1 li%2 ri%3 fi%4 sb%5 sa%6 sl%7/%8")
              .arg(p.align)
              .arg(p.li)
              .arg(p.ri)
              .arg(p.fi)
              .arg(p.sb)
              .arg(p.sa)
              .arg(p.sl)
              .arg(p.slMult);
}

void compareDocuments(const QTextDocument &a, const QTextDocument &b)
{
    QCOMPARE(b.toRawText(), a.toRawText());
    QCOMPARE(b.blockCount(), a.blockCount());
    for (int i = 0; i < a.characterCount() - 1; ++i) {
        if (a.characterAt(i) == QChar::ParagraphSeparator)
            continue;
        QCOMPARE(describe(b, i), describe(a, i));
    }
    for (QTextBlock x = a.begin(), y = b.begin(); x.isValid(); x = x.next(), y = y.next())
        QCOMPARE(describe(b, y.position()), describe(a, x.position()));
}

// The text as readers of other kinds see our body: Word takes \\uN and
// skips its fallback; WordPad of old ignores \\uN and reads the fallback.
// Both decode bytes by the font's \\fcharset.
QString readAs(const QByteArray &rtf, bool unicode)
{
    QHash<int, int> charsets;
    static const QRegularExpression font(QStringLiteral("\\{\\\\f(\\d+)\\\\fnil\\\\fcharset(\\d+)"));
    for (const auto &m : font.globalMatch(QString::fromLatin1(rtf)))
        charsets.insert(m.captured(1).toInt(), m.captured(2).toInt());
    struct Group { int font = 0, uc = 1; };
    std::vector<Group> groups(1);
    QString text;
    QByteArray bytes;
    int bytesFont = 0, skip = 0;
    const auto flush = [&] {
        text += QStringDecoder(charsets.value(bytesFont) == 128 ? "windows-31j" : "windows-1252").decode(bytes);
        bytes.clear();
    };
    const auto byte = [&](char b) {
        if (skip > 0)
            return void(--skip);
        if (groups.back().font != bytesFont)
            flush();
        bytesFont = groups.back().font;
        bytes += b;
    };
    static const QHash<QByteArray, QString> words{{"par", "\n"}, {"line", "\n"}, {"tab", "\t"}};
    for (qsizetype i = rtf.indexOf("\\viewkind4"); i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '{' || c == '}') {
            c == '{' ? groups.push_back(groups.back()) : groups.pop_back();
        } else if (c != '\\') {
            if (c != '\r' && c != '\n')
                byte(c);
        } else if (!isalpha(rtf[++i])) {
            rtf[i] == '\'' ? byte(char(rtf.mid(i + 1, 2).toInt(nullptr, 16))) : rtf[i] == '~' ? byte(' ') : byte(rtf[i]);
            i += rtf[i] == '\'' ? 2 : 0;
        } else {
            qsizetype e = i;
            while (isalpha(rtf[e]))
                ++e;
            const QByteArray w = rtf.mid(i, e - i);
            qsizetype n = e;
            while (rtf[n] == '-' || isdigit(rtf[n]))
                ++n;
            const int param = rtf.mid(e, n - e).toInt();
            i = rtf[n] == ' ' ? n : n - 1;
            flush();
            skip = 0;
            if (w == "f")
                groups.back().font = param;
            else if (w == "uc")
                groups.back().uc = param;
            else if (w == "u" && unicode)
                text += QChar(char16_t(param)), skip = groups.back().uc;
            else
                text += words.value(w);
        }
    }
    flush();
    return text;
}

} // namespace

class TestRtfWriter : public QObject {
    Q_OBJECT
private slots:
    void writesWhatWindowsEditorsRead()
    {
        QTextDocument doc;
        fill(doc);
        const QByteArray rtf = mirka::rtf::write(&doc);
        QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg932\\deff0"));
        for (char c : rtf)
            QVERIFY2(uchar(c) < 0x80, "every byte at or above 0x80 is hex-escaped");
        QVERIFY(rtf.contains("{\\f1\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 \\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}"));
        QVERIFY(rtf.contains("\\fcharset0 Arial;}"));
        QVERIFY(rtf.contains("{\\colortbl ;\\red200\\green10\\blue30;"));
        // Japanese in a Japanese font: its CP932 bytes alone; the 0x5C trail
        // of 表 is inside a hex escape; a look-alike's bytes (〜) are the
        // fallback of its \\uN. Latin in a Latin font: Windows-1252 bytes;
        // outside the code page and surrogate pairs: \\uN?.
        QVERIFY(rtf.contains("\\b\\'91\\'be\\'8e\\'9a\\'95\\'5c\\'83\\'5c\\uc2\\u12316\\'81\\'60\\\\\\{\\}"));
        QVERIFY(rtf.contains("caf\\'e9 \\'80\\ul\\highlight2\\uc1\\u-21504?\\u-10179?\\u-8704?\\tab x\\line y\\~z"));
        const QString plain = doc.toPlainText();
        QCOMPARE(readAs(rtf, true), plain + "\n");
        QCOMPARE(readAs(rtf, false), QString(plain).replace("〜", "～").replace("가😀", "???") + "\n");
        QVERIFY(rtf.contains("\\pard\\qc\\li720\\fi-360\\sb120"));
        QVERIFY(rtf.contains("\\fs23\\mirkafs1125"));
        QVERIFY(rtf.contains("\\fs21\\mirkafs1050") == false && rtf.contains("\\fs21"));
        QVERIFY(rtf.contains(" Semi\\'3bcolon;}"));
        QVERIFY(rtf.contains("\\fs48\\b\\par"));
    }

    void roundTripKeepsEveryAttribute()
    {
        QTextDocument doc;
        fill(doc);
        const QByteArray rtf = mirka::rtf::write(&doc);
        QTextDocument back;
        back.setDefaultFont(doc.defaultFont());
        QVERIFY(mirka::rtf::read(rtf, &back));
        compareDocuments(doc, back);
        // Stable: a second round writes the same bytes.
        QCOMPARE(mirka::rtf::write(&back), rtf);

        // Empty documents and trailing empty paragraphs survive too.
        for (const QString &text : {QString(), QStringLiteral("\n"), QStringLiteral("a\n\n")}) {
            QTextDocument d, r;
            d.setPlainText(text);
            QVERIFY(mirka::rtf::read(mirka::rtf::write(&d), &r));
            QCOMPARE(r.toPlainText(), text);
            QCOMPARE(r.blockCount(), d.blockCount());
        }
    }

    void writesPartsAsDocuments()
    {
        QTextDocument doc;
        fill(doc);
        const QString raw = doc.toRawText();
        const int start = raw.indexOf(QStringLiteral("表"));
        const int end = raw.indexOf(QStringLiteral("下付き")) + 1;
        QTextDocument part;
        part.setDefaultFont(doc.defaultFont());
        QVERIFY(mirka::rtf::read(mirka::rtf::write(&doc, start, end), &part));
        QCOMPARE(part.toRawText(), raw.mid(start, end - start));
        QCOMPARE(describe(part, 0), describe(doc, start));
        QCOMPARE(describe(part, part.characterCount() - 2), describe(doc, end - 1));
        // An empty part is an empty document.
        QTextDocument none;
        QVERIFY(mirka::rtf::read(mirka::rtf::write(&doc, 3, 3), &none));
        QVERIFY(none.isEmpty());
    }

    void commandLineConverter()
    {
        const QString tool = QStringLiteral(MIRKA_RTF_TOOL);
        const QString samples = qEnvironmentVariable("MIRKA_SOURCE_DIR") + "/tests/note/richtext/samples/";
        QProcess p;
        p.start(tool, {"to-text", samples + "wordpad_ja.rtf"});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QString::fromUtf8(p.readAllStandardOutput()).startsWith(QStringLiteral("日本語のメモ Hello red\n中央\n")));

        p.start(tool, {"to-html", samples + "libreoffice_ja.rtf"});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 0);
        const QString html = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY(html.contains("<html") && html.contains(QStringLiteral("日本")) && html.contains("font-weight:700"));

        QTemporaryDir dir;
        QFile page(dir.filePath("page.html"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write(QStringLiteral("<p>地域の<b>歴史</b></p><p align=center>中央</p>").toUtf8());
        page.close();
        p.start(tool, {"from-html", page.fileName()});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 0);
        QTextDocument back;
        QVERIFY(mirka::rtf::read(p.readAllStandardOutput(), &back));
        QCOMPARE(back.toPlainText(), QStringLiteral("地域の歴史\n中央"));

        // Not RTF, or not there: a message and status 1.
        p.start(tool, {"to-text", page.fileName()});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(p.readAllStandardError().contains("not an RTF file"));
        p.start(tool, {"to-html", dir.filePath("missing.rtf")});
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(!p.readAllStandardError().isEmpty());
    }
};

QTEST_MAIN(TestRtfWriter)
#include "tst_rtfwriter.moc"

// The RTF reader on what real editors write, on the stateful corners of
// code-page text, and on broken input.
#include "note/richtext/rtf.h"
#include "note/richtext/rtfformat.h"
#include "note/richtext/rtfobjects.h"
#include "rtfdocuments.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QtTest>

using mirka::rtf::testdocs::sample;

namespace {

struct Doc {
    QTextDocument doc;
    explicit Doc(const QByteArray &rtf)
    {
        doc.setDefaultFont(QFont(QStringLiteral("Noto Sans CJK JP"), 11));
        ok = mirka::rtf::read(rtf, &doc);
    }
    bool ok = false;
    QString text() const { return doc.toPlainText(); }
    // The format of the first character of needle.
    mirka::rtf::Shown at(const QString &needle) const
    {
        const int i = text().indexOf(needle);
        if (i < 0)
            qFatal("no %s in %s", qPrintable(needle), qPrintable(text()));
        QTextCursor c(const_cast<QTextDocument *>(&doc));
        c.setPosition(i + 1);
        return mirka::rtf::shownFormat(c.charFormat(), doc.defaultFont());
    }
    int align(const QString &needle) const
    {
        return mirka::rtf::alignmentOf(doc.findBlock(text().indexOf(needle)).blockFormat());
    }
};

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT
private slots:
    void wordPadJapanese()
    {
        const Doc d(sample("wordpad_ja.rtf"));
        QVERIFY(d.ok);
        QCOMPARE(d.text(), QStringLiteral("日本語のメモ Hello red\n中央\n右寄せ\n€★表ソ\tｶﾀ\n①"));
        QCOMPARE(d.doc.blockCount(), 4); // the last \par is the final paragraph mark
        QCOMPARE(d.at("日").family, QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(d.at("日").size, 1100);
        QVERIFY(!d.at("日").bold);
        QVERIFY(d.at("メモ").bold);
        QCOMPARE(d.at("Hello").family, QStringLiteral("Arial"));
        QVERIFY(d.at("red").italic);
        QCOMPARE(d.at("red").fg, QColor(255, 0, 0));
        QVERIFY(!d.at("Hello").fg.isValid()); // \cf0: automatic
        QCOMPARE(d.align("中央"), 2);
        QVERIFY(d.at("中央").underline);
        QCOMPARE(d.at("中央").size, 1600);
        QCOMPARE(d.align("右寄せ"), 1);
        QCOMPARE(d.at("右寄せ").fg, QColor(0, 0, 255));
        QCOMPARE(d.align("日本語"), 0);
        QCOMPARE(d.at("€").family, QStringLiteral("Calibri"));
        // \sa200\sl276\slmult1 on the first paragraph only (\pard resets).
        const QTextBlockFormat first = d.doc.begin().blockFormat();
        QCOMPARE(first.bottomMargin(), 200 / 15.0);
        QCOMPARE(first.lineHeightType(), int(QTextBlockFormat::ProportionalHeight));
        QCOMPARE(d.doc.begin().next().blockFormat().bottomMargin(), 0.0);
    }

    void wordJapanese()
    {
        const Doc d(sample("word_ja.rtf"));
        QVERIFY(d.ok);
        // The header goes to the document level; a picture Qt cannot draw
        // stands as one kept character; bookmarks, theme and data stores
        // are skipped; the field result stays.
        QCOMPARE(d.text(), QStringLiteral("Word 日本:あ가\nexample\uFFFC\n右x\ty z"));
        QCOMPARE(d.at("Word").family, QStringLiteral("Calibri"));
        QCOMPARE(d.at("Word").size, 1050);
        // \loch\hich\dbch: the double-byte text takes the \dbch font, named
        // in the \upr's Unicode font table.
        QCOMPARE(d.at("日本").family, QStringLiteral("游ゴシック"));
        QVERIFY(d.at("日本").bold);
        QCOMPARE(d.at(":").family, QStringLiteral("Calibri"));
        QVERIFY(d.at("あ").italic);
        QCOMPARE(d.at("あ").fg, QColor(255, 0, 0));
        QCOMPARE(d.align("Word"), 3);
        QCOMPARE(d.align("example"), 2);
        QVERIFY(d.at("example").underline);
        QCOMPARE(d.at("example").fg, QColor(0, 0, 255));
        QCOMPARE(d.align("右"), 1);
        QCOMPARE(d.at("右").size, 1400);
    }

    void libreOfficeJapanese()
    {
        const Doc d(sample("libreoffice_ja.rtf"));
        QVERIFY(d.ok);
        QCOMPARE(d.text(), QStringLiteral("LibreOffice 日本 あ\nCentred\nsecond\tend\n•\titem"));
        QCOMPARE(d.at("Libre").family, QStringLiteral("Liberation Serif"));
        QCOMPARE(d.at("日本").family, QStringLiteral("Noto Sans CJK JP"));
        QVERIFY(d.at("日本").bold && !d.at("Libre").bold);
        QCOMPARE(d.at("あ").fg, QColor(201, 33, 30));
        QCOMPARE(d.align("Centred"), 2);
        QCOMPARE(d.at("Centred").size, 1600);
        QCOMPARE(d.doc.findBlock(d.text().indexOf("Centred")).blockFormat().leftMargin(), 567 / 15.0);
        QVERIFY(d.text().contains(QChar(0x2028)) == false); // toPlainText shows \line as \n
        QVERIFY(d.at("item").strike);
        QCOMPARE(d.at("item").vpos, quint8(1));

        // Japanese bold and size written as associated properties of \dbch
        // runs, blanks inside the run included; Word's right-to-left ones
        // (after \rtlch) leave Japanese text alone.
        const Doc a("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 J;}}\\f0\\fs24"
                    "{\\dbch\\ab\\dbch \\u28207\\'3f}{\\dbch\\afs36\\dbch \\u21491\\'3f \\u22823\\'3f}"
                    "{\\loch\\ab x}{\\dbch\\rtlch\\ab\\afs40\\ltrch \\u26085\\'3f}}");
        QCOMPARE(a.text(), QStringLiteral("港右 大x日"));
        QVERIFY(a.at("港").bold && !a.at("右").bold && !a.at("x").bold && !a.at("日").bold);
        QCOMPARE(a.at("右").size, 1800);
        QCOMPARE(a.at(" 大").size, 1800);
        QCOMPARE(a.at("x").size, 1200);
        QCOMPARE(a.at("日").size, 1200);
    }

    void codePageStatefulness()
    {
        const QByteArray jaFont = "{\\fonttbl{\\f0\\fcharset128 J;}{\\f1\\fcharset0 L;}}";
        // Lead and trail bytes split by groups and by a control word.
        QCOMPARE(Doc("{\\rtf1\\ansi" + jaFont + "\\f0{\\'89}{\\'bd}\\'89\\b\\'bd}").text(), QStringLiteral("何何"));
        // Raw Shift_JIS text, where a trail byte 0x5C is no backslash.
        QCOMPARE(Doc("{\\rtf1\\ansi" + jaFont + "\\f0 \x95\x5c\x83\x5c}").text(), QStringLiteral("表ソ"));
        // A lead byte cut off by a paragraph is one bad character only.
        QCOMPARE(Doc("{\\rtf1\\ansi" + jaFont + "\\f0\\'82\\par\\'82\\'a0}").text(), QStringLiteral("\uFFFD\nあ"));
        // Charsets: GBK, Big5, Hangul, Cyrillic, Latin; DEFAULT and unknown
        // fonts fall back to \ansicpg; \cpg overrides the charset.
        QCOMPARE(Doc("{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset134 a;}{\\f1\\fcharset136 b;}"
                     "{\\f2\\fcharset129 c;}{\\f3\\fcharset204 d;}{\\f4\\fcharset0 e;}{\\f5\\fcharset1 f;}"
                     "{\\f6\\fcharset0\\cpg932 g;}{\\f7\\fcharset128\\cpg65001 h;}}"
                     "\\f0\\'c4\\'e3\\f1\\'a7\\'41\\f2\\'c7\\'d1\\f3\\'c0\\f4\\'e9\\f5\\'82\\'a0\\f6\\'82\\'a2"
                     "\\f77\\'82\\'a4\\f7\\'e4\\'b8\\'ad\\'e5\\'9c\\'8b\\'c0\\'80\\'e4\\'b8 \\'f0\\'9f\\'98\\'80}")
                     .text(),
                 QStringLiteral("你你한Аéあいう中國\uFFFD\uFFFD\uFFFD 😀"));
        // No \ansicpg: Windows-1252.
        QCOMPARE(Doc("{\\rtf1\\ansi \\'80\\'e9}").text(), QStringLiteral("€é"));
        // Font names in the font's own code page.
        QCOMPARE(Doc("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}}\\f0 x}")
                     .at("x")
                     .family,
                 QStringLiteral("ＭＳ 明朝"));
    }

    void unicodeEscapes()
    {
        // \uN is signed 16-bit; \ucN fallbacks count each \'hh as one; pairs
        // of \u make surrogate pairs; \uc is scoped by groups.
        QCOMPARE(Doc("{\\rtf1\\uc2\\u12354\\'82\\'a0\\u-21504\\'3f\\'3fx}").text(), QStringLiteral("あ가x"));
        QCOMPARE(Doc("{\\rtf1\\u-10179?\\u-8704?!}").text(), QStringLiteral("😀!"));
        QCOMPARE(Doc("{\\rtf1{\\uc0\\u12354 }x\\u12356?y}").text(), QStringLiteral("あxいy"));
        QCOMPARE(Doc("{\\rtf1\\uc1\\u12354\\par x}").text(), QStringLiteral("あ\nx")); // \par ends the skip
        // Lone halves of a pair and out-of-range values are one bad character.
        QCOMPARE(Doc("{\\rtf1\\u-10179?a\\u-8704?b\\u70000?c}").text(), QStringLiteral("\uFFFDa\uFFFDb\uFFFDc"));
        // A \u without a number is no character and skips nothing.
        QCOMPARE(Doc("{\\rtf1 a\\u b\\u-c\\u}").text(), QStringLiteral("ab-c"));
    }

    void structureAndSymbols()
    {
        QCOMPARE(Doc("{\\rtf1 a\\line b\\tab c\\~d\\emdash\\lquote e\\rquote\\\\\\{\\}}").text(),
                 QStringLiteral("a\nb\tc d—‘e’\\{}"));
        // A table at the start follows the document's first, empty, paragraph.
        QCOMPARE(Doc("{\\rtf1\\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell b\\cell\\row\\pard c}").text(),
                 QStringLiteral("\na\nb\nc"));
        // No reader sees it, nor the one before a table nested at a cell's start.
        const Doc nested("{\\rtf1\\trowd\\cellx900\\pard\\intbl\\itap2 a\\nestcell{\\*\\nesttableprops\\trowd\\cellx500\\nestrow}"
                         "\\pard\\intbl b\\cell\\row\\pard c}");
        QCOMPARE(mirka::rtf::plainText(&nested.doc), QStringLiteral("a\nb\nc"));
        // Nesting stops at six: the editor's layout doubles with each level.
        QByteArray deep("{\\rtf1 ");
        for (int i = 1; i <= 20; ++i)
            deep += "\\pard\\intbl\\itap" + QByteArray::number(i) + " x" + (i > 1 ? "\\nestcell " : "\\cell ");
        const Doc tooDeep(deep + "}");
        int depth = 0;
        for (const QTextFrame *f = tooDeep.doc.rootFrame(); !f->childFrames().isEmpty(); f = f->childFrames().first())
            ++depth;
        QCOMPARE(depth, 6);
        // An empty cell closed after the row's last defined one (LibreOffice
        // ends a row holding a nested table so) adds no column.
        const Doc extra("{\\rtf1\\trowd\\cellx900\\pard\\intbl\\itap2 a\\nestcell{\\*\\nesttableprops\\trowd\\cellx500"
                        "\\nestrow}\\pard\\intbl b\\cell\\cell\\row\\pard c}");
        QCOMPARE(qobject_cast<QTextTable *>(extra.doc.rootFrame()->childFrames().value(0))->columns(), 1);
        // Cells merged across and down keep each paragraph's format, beside
        // a nested table too (Qt joins a cell merged across to the one
        // before it and gives moved paragraphs their neighbour's format).
        const Doc merged("{\\rtf1\\trowd\\clmgf\\cellx2000\\clmrg\\cellx4000\\cellx6000\\pard\\intbl\\qr A\\par\\ql B\\cell"
                         "\\pard\\intbl\\itap2 n\\nestcell{\\*\\nesttableprops\\trowd\\cellx500\\nestrow}\\pard\\intbl\\qc C"
                         "\\par\\qj D\\cell\\pard\\intbl E\\cell\\row\\trowd\\cellx2000\\clvmgf\\cellx4000\\cellx6000"
                         "\\pard\\intbl F\\cell\\pard\\intbl\\qc G\\cell\\pard\\intbl H\\cell\\row\\trowd\\cellx2000"
                         "\\clvmrg\\cellx4000\\cellx6000\\pard\\intbl I\\cell\\pard\\intbl\\qr J\\par\\qc K\\cell"
                         "\\pard\\intbl L\\cell\\row}");
        QCOMPARE(QList<int>({merged.align("A"), merged.align("B"), merged.align("n"), merged.align("C"),
                             merged.align("D"), merged.align("G"), merged.align("J"), merged.align("K")}),
                 QList<int>({1, 0, 0, 2, 3, 2, 1, 2}));
        // \plain and \pard reset character and paragraph properties.
        const Doc d("{\\rtf1\\b\\i\\qc bold\\par\\plain\\pard plain}");
        QVERIFY(d.at("bold").bold && d.at("bold").italic);
        QVERIFY(!d.at("plain").bold && !d.at("plain").italic);
        QCOMPARE(d.align("bold"), 2);
        QCOMPARE(d.align("plain"), 0);
        // Hidden text stays; unknown destinations are left out; a picture
        // Qt cannot draw is one kept character.
        // \\* makes a destination of the group it opens only.
        QCOMPARE(Doc("{\\rtf1 a{\\v hidden}b{\\*\\foo c}d{\\pict\\bin3 }}}}e{f\\*\\cs7 g}}").text(),
                 QStringLiteral("ahiddenbd\uFFFCefg"));
    }

    void refusesWhatIsNotRtf()
    {
        QTextDocument doc;
        doc.setPlainText("before");
        QVERIFY(!mirka::rtf::read("plain text", &doc));
        QCOMPARE(doc.toPlainText(), QString("before"));
        QVERIFY(mirka::rtf::looksLikeRtf("\xEF\xBB\xBF \r\n{\\rtf1}"));
    }

    void malformedInputSurvives()
    {
        // Unbalanced and stray braces, truncation: what could be read stays.
        QCOMPARE(Doc("{\\rtf1 abc{\\b def").text(), QStringLiteral("abcdef"));
        QCOMPARE(Doc("{\\rtf1 one}two}\\par three}").text(), QStringLiteral("one")); // the rest is no part of it
        // A broken picture costs the picture only.
        QCOMPARE(Doc("{\\rtf1 a{\\pict\\pngblip 89504e{\\par zz b}c").text(), QStringLiteral("a\uFFFC"));
        QCOMPARE(Doc("{\\rtf1 a{\\pict\\pngblip 89504e{\\par} zz}b}").text(), QStringLiteral("a\uFFFCb"));
        // 100,000 nested groups.
        const int depth = 100000;
        const Doc deep("{\\rtf1 " + QByteArray(depth, '{') + "x" + QByteArray(depth, '}') + "y}");
        QCOMPARE(deep.text(), QStringLiteral("xy"));
        const Doc deepOpen("{\\rtf1 " + QByteArray(depth, '{') + "\\b x");
        QCOMPARE(deepOpen.text(), QStringLiteral("x"));
    }

    void insertsAtCursor()
    {
        QTextDocument doc;
        doc.setPlainText("abcd");
        QTextCursor c(&doc);
        c.setPosition(1);
        c.setPosition(3, QTextCursor::KeepAnchor);
        QVERIFY(mirka::rtf::insert("{\\rtf1 X\\par {\\b Y}\\par}", c));
        QCOMPARE(doc.toPlainText(), QStringLiteral("aX\nYd"));
        QVERIFY(!mirka::rtf::insert("not rtf", c));
        QCOMPARE(doc.toPlainText(), QStringLiteral("aX\nYd"));
        // One undo step takes the whole insertion back.
        doc.undo();
        QCOMPARE(doc.toPlainText(), QStringLiteral("abcd"));
        // A part of a paragraph brings no paragraph properties along; a
        // whole paragraph does.
        QTextDocument left;
        left.setPlainText("abcd");
        QTextCursor at(&left);
        at.setPosition(2);
        QVERIFY(mirka::rtf::insert("{\\rtf1\\qc centred\\par}", at));
        QCOMPARE(mirka::rtf::alignmentOf(left.begin().blockFormat()), 0);
        QVERIFY(mirka::rtf::insert("{\\rtf1\\qc line\\par\\pard next\\par}", at));
        QCOMPARE(left.toPlainText(), QStringLiteral("abcentredline\nnextcd"));
        QCOMPARE(mirka::rtf::alignmentOf(left.begin().blockFormat()), 2);
        QCOMPARE(mirka::rtf::alignmentOf(left.lastBlock().blockFormat()), 0);
        // RTF in a string: characters above ASCII stand for themselves.
        QCOMPARE(mirka::rtf::fromString(QStringLiteral("{\\rtf1 あ}")), QByteArray("{\\rtf1 {\\uc0\\u12354}}"));
    }
};

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"

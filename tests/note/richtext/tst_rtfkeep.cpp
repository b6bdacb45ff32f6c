// What other editors put in notes survives a load and a save: pictures,
// links, tables, lists, hidden text, and the groups the editor keeps
// without showing them. Samples are hand-written in the shapes WordPad,
// Word and the Windows rich-text control produce.
#include "note/richtext/rtf.h"
#include "note/richtext/rtfformat.h"
#include "note/richtext/rtfobjects.h"
#include "rtfdocuments.h"

#include <QBuffer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextList>
#include <QTextTable>
#include <QtTest>
#include <algorithm>

using mirka::rtf::testdocs::sample;

namespace {

// Everything a note keeps, gathered so that two documents can be compared.
struct Inventory {
    QString text;
    QStringList pictures;  // size and the bytes they were read from
    QStringList links;     // text -> address
    QStringList tables;    // rows x columns: cell texts
    QStringList labels;    // list labels
    QStringList hidden;
    QList<QByteArray> kept;
    QByteArray head;

    explicit Inventory(QTextDocument &doc)
    {
        text = mirka::rtf::plainText(&doc);
        head = doc.property(mirka::rtf::documentHeadProperty()).toByteArray();
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            if (b.textList())
                labels += mirka::rtf::listLabel(b);
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment f = it.fragment();
                const QTextCharFormat cf = f.charFormat();
                if (cf.isImageFormat()) {
                    const QTextImageFormat img = cf.toImageFormat();
                    const QImage image = QImage::fromData(
                        doc.resource(QTextDocument::ImageResource, QUrl(img.name())).toByteArray());
                    pictures += QStringLiteral("%1x%2 %3x%4 ").arg(img.width()).arg(img.height())
                                    .arg(image.width()).arg(image.height())
                        + QString::number(qHash(cf.property(mirka::rtf::KeptRtf).toByteArray()));
                } else if (cf.objectType() == mirka::rtf::KeptObjectType) {
                    kept += cf.property(mirka::rtf::KeptRtf).toByteArray();
                } else if (cf.isAnchor()) {
                    links += f.text() + QStringLiteral(" -> ") + cf.anchorHref();
                } else if (cf.boolProperty(mirka::rtf::HiddenText)) {
                    hidden += f.text();
                }
            }
        }
        for (QTextFrame *frame : doc.rootFrame()->childFrames())
            addTable(qobject_cast<QTextTable *>(frame));
    }
    void addTable(QTextTable *t)
    {
        if (!t)
            return;
        QString cells = QStringLiteral("%1x%2:").arg(t->rows()).arg(t->columns());
        for (int r = 0; r < t->rows(); ++r) {
            for (int c = 0; c < t->columns(); ++c) {
                const QTextTableCell cell = t->cellAt(r, c);
                QTextCursor cur(cell.firstCursorPosition());
                cur.setPosition(cell.lastPosition(), QTextCursor::KeepAnchor);
                cells += QLatin1Char('|') + cur.selectedText();
            }
        }
        tables += cells;
        for (QTextFrame *inner : t->childFrames())
            addTable(qobject_cast<QTextTable *>(inner));
    }
};

// Reads, writes, reads again: the second document keeps what the first has,
// and writing it again gives the same bytes.
void roundTrip(const QByteArray &rtf, QTextDocument &first)
{
    QVERIFY(mirka::rtf::read(rtf, &first));
    const QByteArray written = mirka::rtf::write(&first);
    QTextDocument second;
    QVERIFY(mirka::rtf::read(written, &second));
    const Inventory a(first), b(second);
    QCOMPARE(b.text, a.text);
    QCOMPARE(b.pictures, a.pictures);
    QCOMPARE(b.links, a.links);
    QCOMPARE(b.tables, a.tables);
    QCOMPARE(b.labels, a.labels);
    QCOMPARE(b.hidden, a.hidden);
    QCOMPARE(b.kept, a.kept);
    QCOMPARE(b.head, a.head);
    QCOMPARE(mirka::rtf::write(&second), written);
}

} // namespace

class TestRtfKeep : public QObject {
    Q_OBJECT
private slots:
    void wordPadScreenshot()
    {
        QTextDocument doc;
        roundTrip(sample("wordpad_screenshot.rtf"), doc);
        const Inventory inv(doc);
        QCOMPARE(inv.text, QStringLiteral("画面のコピー\n\n以上"));
        // The metafile wraps one 8 x 6 bitmap, shown at its goal size.
        QCOMPARE(inv.pictures.size(), 1);
        QVERIFY2(inv.pictures.first().startsWith("8x6 8x6 "), qPrintable(inv.pictures.first()));
        QTextCursor c(doc.begin().next());
        c.movePosition(QTextCursor::NextCharacter);
        const QImage shown = QImage::fromData(
            doc.resource(QTextDocument::ImageResource, QUrl(c.charFormat().toImageFormat().name())).toByteArray());
        QCOMPARE(shown.pixelColor(3, 3), QColor(200, 0, 0));
        // Written back as it came: the metafile, not a converted picture.
        QVERIFY(mirka::rtf::write(&doc).contains("\\wmetafile8\\picw212"));
    }

    void wordDocument()
    {
        QTextDocument doc;
        roundTrip(sample("word_full.rtf"), doc);
        const Inventory inv(doc);
        QCOMPARE(inv.links, QStringList{"the example site -> http://example.com/a?b=1"});
        QCOMPARE(inv.hidden, QStringList{"hidden words"});
        QCOMPARE(inv.labels, (QStringList{"1.", "2.", "\u2022"}));
        QCOMPARE(inv.tables,
                 (QStringList{"2x2:|Cell A1|Cell B1|Cell A2\u2029second line|\uFDD0Inner 1\uFDD0Inner 2\uFDD1after inner",
                              "1x2:|Inner 1|Inner 2"}));
        // The footnote with its mark (one item, showing the mark), the
        // comment with its author, the object; the picture Qt draws is a picture.
        QCOMPARE(inv.kept.size(), 3);
        QVERIFY(inv.kept.at(0).startsWith("\\chftn {\\footnote ") && inv.kept.at(0).endsWith("A footnote.}"));
        QVERIFY(inv.kept.at(1).startsWith("{\\*\\atnid HK}{\\*\\atnauthor Hanako}\\chatn {\\*\\annotation"));
        QVERIFY(inv.kept.at(2).startsWith("{\\object\\objemb"));
        QCOMPARE(inv.pictures.size(), 1);
        QVERIFY2(inv.pictures.first().startsWith("8x4 4x2 "), qPrintable(inv.pictures.first()));
        // Symbol and Wingdings as Unicode, a SYMBOL field's character, the
        // footnote mark's number; nothing after the closing brace.
        QVERIFY(inv.text.contains(QStringLiteral("Greek αβγ and ☺ and •.")));
        QVERIFY(inv.text.contains(QStringLiteral("now.1 Secret:hidden words")));
        QVERIFY(inv.text.endsWith(QStringLiteral("日本語の文")));
        // Information, header, footer and page setup at the document level.
        QVERIFY(inv.head.startsWith("{\\info{\\title Sample}"));
        QVERIFY(inv.head.contains("\\paperw11906 "));
        QVERIFY(inv.head.contains("{\\header \\pard\\plain \\ql \\li0\\ri0 \\fs24 Header text\\par}"));
        QVERIFY(!inv.text.contains(QStringLiteral("Header text")));
    }

    void richEditListText()
    {
        QTextDocument doc;
        roundTrip(sample("richedit_list_ja.rtf"), doc);
        const Inventory inv(doc);
        // The \pn paragraphs are lists; their \pntext labels are not text.
        QCOMPARE(inv.text, QStringLiteral("買い物\n1.\t牛乳\n2.\tパン\n•\t卵\n終わり"));
        QCOMPARE(inv.labels, (QStringList{"1.", "2.", "•"}));
        // Without a list, \listtext stays the paragraph's text.
        QTextDocument plain;
        QVERIFY(mirka::rtf::read("{\\rtf1 {\\listtext 1.\\tab}one\\par}", &plain));
        QCOMPARE(plain.toPlainText(), QStringLiteral("1.\tone"));
        // Word's Japanese number formats, each level at 11; legal numbering
        // (the levels above in Arabic); a level counting on under a new item
        // above it. A label too wide for its hanging indent moves the text.
        QByteArray ja("{\\rtf1{\\*\\listtable{\\list");
        const int nfcs[] = {10, 11, 12, 13, 14, 16, 18, 20, 21};
        for (int k = 0; k < 9; ++k)
            ja += "{\\listlevel\\levelnfc" + QByteArray::number(nfcs[k]) + "\\levelstartat11{\\leveltext\\'01\\'0"
                + QByteArray::number(k) + ";}\\fi-360\\li720}";
        ja += "\\listid1}{\\list{\\listlevel\\levelnfc1{\\leveltext\\'02\\'00.;}}{\\listlevel\\levellegal1{\\leveltext"
              "\\'04\\'00.\\'01.;}}{\\listlevel\\levelnfc4\\levelnorestart1{\\leveltext\\'02\\'02);}}\\listid2}}"
              "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid2\\ls2}}";
        for (int k : {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 10, 11, 12})
            ja += "\\pard\\ls" + QByteArray::number(k / 10 + 1) + "\\ilvl" + QByteArray::number(k % 10) + " x\\par";
        QTextDocument numbered;
        roundTrip(ja + "}", numbered);
        QCOMPARE(Inventory(numbered).labels, (QStringList{"一一", "十一", "ｻ", "ﾙ", "１１", "壱拾壱", "⑪", "サ", "ル", "I.",
                                                          "1.1.", "a)", "II.", "2.1.", "b)"}));
        QCOMPARE(numbered.findBlockByNumber(5).blockFormat().textIndent(), 720 / 15.0);
    }

    void editorContentIsWrittenBack()
    {
        // What the user made in the editor: a pasted picture, a link to a
        // recorded page, a table and a list.
        QTextDocument doc;
        QTextCursor c(&doc);
        QImage image(5, 3, QImage::Format_RGB32);
        image.fill(QColor(10, 200, 30));
        doc.addResource(QTextDocument::ImageResource, QUrl("mirka-pasted:1"), image);
        QTextImageFormat img;
        img.setName("mirka-pasted:1");
        img.setWidth(10);
        img.setHeight(6);
        c.insertImage(img);
        QTextCharFormat link;
        link.setAnchor(true);
        link.setAnchorHref(QStringLiteral("http://example.com/\"q\"\\x"));
        c.insertText(QStringLiteral("図書館"), link);
        // The field's group ends its \uc: what follows reads right.
        c.insertText(QStringLiteral("の本"), QTextCharFormat());
        c.insertBlock();
        QTextTable *t = c.insertTable(2, 3);
        t->cellAt(1, 2).firstCursorPosition().insertText("x");
        c.movePosition(QTextCursor::End);
        c.insertText("item");
        c.createList(QTextListFormat::ListLowerAlpha);
        const QByteArray rtf = mirka::rtf::write(&doc);
        QVERIFY(rtf.contains("\\pngblip"));
        QTextDocument back;
        QVERIFY(mirka::rtf::read(rtf, &back));
        const Inventory inv(back);
        QVERIFY2(inv.pictures.size() == 1 && inv.pictures.first().startsWith("10x6 5x3 "),
                 qPrintable(inv.pictures.join(',')));
        QCOMPARE(inv.links, QStringList{"図書館 -> http://example.com/%22q%22\\x"});
        QCOMPARE(inv.tables, QStringList{"2x3:||||||x"});
        QVERIFY(inv.text.startsWith(QStringLiteral("図書館の本\n")));
        QCOMPARE(inv.labels, QStringList{"a."});
    }

    void brokenKeptGroupsStayBalanced()
    {
        // A footnote cut off by the end of the file is closed when written.
        QTextDocument doc;
        QVERIFY(mirka::rtf::read("{\\rtf1 a{\\footnote {\\b x", &doc));
        const QByteArray rtf = mirka::rtf::write(&doc);
        QVERIFY(rtf.contains("{\\footnote {\\b x}}"));
        // Text between a group's brace and its kept word stays text, once.
        QTextDocument once;
        roundTrip("{\\rtf1 a{\\*\\{\\footnote x}b}", once);
        QCOMPARE(mirka::rtf::plainText(&once), QStringLiteral("a{b"));
        QTextDocument mark;
        roundTrip("{\\rtf1 a{\\par\\footnote x}b}", mark);
        QCOMPARE(mirka::rtf::plainText(&mark), QStringLiteral("a\nb"));
    }

    void keptBytesAreWrittenAsAscii()
    {
        // 8-bit bytes as \'hh, \bin data as hex; NUL bytes and control
        // symbols on 8-bit bytes, which readers ignore, are left out.
        QTextDocument doc;
        QVERIFY(mirka::rtf::read(QByteArray("{\\rtf1 a{\\footnote \x82\xa0\\\xa8\0x{\\pict\\bin2 \xff}}}b}", 43), &doc));
        const QByteArray rtf = mirka::rtf::write(&doc);
        QVERIFY(std::none_of(rtf.cbegin(), rtf.cend(), [](char c) { return c == '\0' || uchar(c) >= 0x80; }));
        QVERIFY2(rtf.contains("{\\footnote \\'82\\'a0x{\\pict ff7d}}"), rtf.constData());
        QTextDocument back;
        roundTrip(rtf, back);
        QCOMPARE(mirka::rtf::plainText(&back), mirka::rtf::plainText(&doc));
        // A picture whose data sits in a group of its own is drawn, and
        // written with the data in the picture's group, where others read it.
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        QTextDocument nested;
        roundTrip("{\\rtf1 a{\\pict\\pngblip\\picw3\\pich2{\\*\\blipuid 00ff}{\\bin" + QByteArray::number(png.size())
                      + ' ' + png + "}}b}",
                  nested);
        QVERIFY2(Inventory(nested).pictures.value(0).startsWith("3x2 3x2 "), qPrintable(Inventory(nested).pictures.join(',')));
        QVERIFY(mirka::rtf::write(&nested).contains("{\\pict\\pngblip\\picw3\\pich2\r\n" + png.toHex().left(32)));
        // What is left out after a control word leaves it ended.
        QVERIFY(mirka::rtf::read(QByteArray("{\\rtf1 {\\footnote\\fs20\0005\\b\\\xa8x}}", 31), &doc));
        QVERIFY2(mirka::rtf::write(&doc).contains("{\\footnote\\fs20 5\\b x}"), mirka::rtf::write(&doc).constData());
    }

    void cellsComeBack()
    {
        // \par before \cell ends a paragraph of the cell; an empty cell
        // shows the size its mark was given. Both survive a round trip.
        QTextDocument doc;
        roundTrip("{\\rtf1\\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\par\\cell\\fs40\\cell\\row}", doc);
        QCOMPARE(Inventory(doc).tables, QStringList{"1x2:|a\u2029|"});
        const QTextTable *t = qobject_cast<QTextTable *>(doc.rootFrame()->childFrames().value(0));
        QVERIFY(t);
        const QTextBlock empty = doc.findBlock(t->cellAt(0, 1).firstPosition());
        QCOMPARE(empty.charFormat().fontPointSize(), 20.0);
        // Wider than the editor draws: other readers fit it to the page by
        // the edges as they were written (LibreOffice does so for its own).
        QTextDocument wide;
        roundTrip("{\\rtf1\\trowd\\cellx15722\\cellx52425\\pard\\intbl a\\cell b\\cell\\row}", wide);
        QVERIFY(mirka::rtf::write(&wide).contains("\\cellx15722\\cellx52425"));
    }
};

QTEST_MAIN(TestRtfKeep)
#include "tst_rtfkeep.moc"

// The editor component: selection state, SelChange, geometry, files.
#include "common/twips.h"
#include "note/richtext/richtextbox.h"
#include "note/richtext/rtfobjects.h"
#include "../../support/testenv.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

class TestRichTextBox : public QObject {
    Q_OBJECT

    static void select(RichTextBox &box, int from, int to)
    {
        QTextCursor c = box.textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        box.setTextCursor(c);
    }

private slots:
    void defaultBodyFont()
    {
        RichTextBox box;
        const QFont f = RichTextBox::defaultBodyFont();
        QCOMPARE(f.pointSizeF(), 11.25);
        QVERIFY(f.family() == QStringLiteral("ＭＳ Ｐゴシック") || f.family() == "Noto Sans CJK JP");
        QCOMPARE(*box.SelFontName(), f.family());
        QCOMPARE(*box.SelFontSize(), 11.25);
        QCOMPARE(*box.SelBold(), false);
        QCOMPARE(*box.SelAlignment(), 0);
        QCOMPARE(box.SelColor()->rgb(), QColor(Qt::black).rgb());
    }

    void triStateOverSelection()
    {
        RichTextBox box;
        box.setText("plain bold\nsecond");
        select(box, 6, 10);
        box.setSelBold(true);
        box.setSelColor(QColor(255, 0, 0));
        box.setSelFontSize(20);
        QCOMPARE(*box.SelBold(), true);
        QCOMPARE(box.SelColor()->rgb(), QColor(255, 0, 0).rgb());
        QCOMPARE(*box.SelFontSize(), 20.0);

        select(box, 0, 10); // plain and bold: mixed
        QVERIFY(!box.SelBold().has_value());
        QVERIFY(!box.SelColor().has_value());
        QVERIFY(!box.SelFontSize().has_value());
        QCOMPARE(*box.SelItalic(), false);
        QCOMPARE(*box.SelAlignment(), 0);

        // Caret in bold text reads bold; in plain text plain.
        select(box, 8, 8);
        QCOMPARE(*box.SelBold(), true);
        select(box, 2, 2);
        QCOMPARE(*box.SelBold(), false);

        // Alignment over two paragraphs.
        select(box, 12, 12);
        box.setSelAlignment(2);
        QCOMPARE(*box.SelAlignment(), 2);
        select(box, 3, 13);
        QVERIFY(!box.SelAlignment().has_value());
        box.setSelAlignment(1);
        QCOMPARE(*box.SelAlignment(), 1);

        // With nothing selected, a write applies to the text typed next.
        select(box, 2, 2);
        box.setSelItalic(true);
        QCOMPARE(*box.SelItalic(), true);
        box.insertPlainText("X");
        select(box, 2, 3);
        QCOMPARE(*box.SelItalic(), true);
        QCOMPARE(box.SelText(), QString("X"));
    }

    void selChangeOncePerChange()
    {
        RichTextBox box;
        box.resize(300, 200);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        select(box, 0, 0);
        QSignalSpy spy(&box, &RichTextBox::SelChange);
        QTest::keyClicks(&box, "ab");
        QCOMPARE(spy.count(), 2);
        QTest::keyClick(&box, Qt::Key_Left, Qt::ShiftModifier); // caret and selection: one
        QCOMPARE(spy.count(), 3);
        QTest::keyClick(&box, Qt::Key_Delete); // deletes the selection
        QCOMPARE(spy.count(), 4);
        QTest::keyClick(&box, Qt::Key_Home);
        QTest::keyClick(&box, Qt::Key_Delete); // text changes, caret stays
        QCOMPARE(spy.count(), 6);
        // A click into the text counts even where the caret already is.
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(spy.count() >= 7);
        // Changes made by the program count once, and only real changes.
        box.setText("xyz");
        const int before = spy.count();
        select(box, 1, 1);
        select(box, 1, 1);
        QCOMPARE(spy.count(), before + 1);
        box.selectAll();
        QCOMPARE(spy.count(), before + 2);
    }

    void geometryInTwips()
    {
        mirka::twips::setDpiForTesting(96);
        QWidget parent;
        RichTextBox box(&parent);
        QVERIFY(box.Move(2100, 1000, 5000, 3000));
        QCOMPARE(box.geometry(), QRect(140, 67, 333, 200));
        QCOMPARE(box.Width(), 5000);
        QCOMPARE(box.Height(), 3000);
        QVERIFY(!box.Move(0, 0, -1, 100));
        QCOMPARE(box.Width(), 5000);
        QVERIFY(box.setRightMargin(4600));
        QCOMPARE(box.RightMargin(), 4600);
        QCOMPARE(box.lineWrapMode(), QTextEdit::FixedPixelWidth);
        QCOMPARE(box.lineWrapColumnOrWidth(), 307);
        QVERIFY(!box.setRightMargin(-10));
        QCOMPARE(box.RightMargin(), 4600);
        // The wrap width holds for a loaded document too.
        box.setText("x");
        QVERIFY(box.LoadRtf("{\\rtf1 a long line of text}"));
        QCOMPARE(box.document()->textWidth(), 307.0);
        QVERIFY(box.setRightMargin(0));
        QCOMPARE(box.lineWrapMode(), QTextEdit::WidgetWidth);
        mirka::twips::setDpiForTesting(0);
    }

    void selRtfCopyAndPaste()
    {
        RichTextBox box;
        box.setText(QStringLiteral("前 太字 後"));
        select(box, 2, 4);
        box.setSelBold(true);
        box.setSelColor(QColor(0, 0, 200));
        box.setSelFontName("Arial");
        box.setSelFontSize(15.5);
        const QString copied = box.SelRTF();
        QVERIFY(copied.startsWith("{\\rtf1"));
        // Paste at the end: text and formatting come back.
        select(box, 6, 6);
        box.setSelRTF(copied);
        QCOMPARE(box.Text(), QStringLiteral("前 太字 後太字"));
        select(box, 6, 8);
        QCOMPARE(*box.SelBold(), true);
        QCOMPARE(box.SelColor()->rgb(), QColor(0, 0, 200).rgb());
        QCOMPARE(*box.SelFontName(), QString("Arial"));
        QCOMPARE(*box.SelFontSize(), 15.5);
        // The caret stands after the pasted text.
        QCOMPARE(box.textCursor().position(), 8);
        // Plain text from other programs goes in as it is, with the caret's
        // format; the empty text deletes the selection.
        select(box, 0, 1);
        box.setSelRTF(QStringLiteral("plain {text}\n行"));
        QCOMPARE(box.Text(), QStringLiteral("plain {text}\n行 太字 後太字"));
        select(box, 0, 6);
        box.setSelRTF(QString());
        QCOMPARE(box.Text(), QStringLiteral("{text}\n行 太字 後太字"));
        select(box, 0, 7);
        box.setSelText(QString());
        QCOMPARE(box.Text(), QStringLiteral("行 太字 後太字"));
        // Copy with nothing selected gives an empty document; pasting it
        // changes nothing.
        select(box, 1, 1);
        box.setSelRTF(box.SelRTF());
        QCOMPARE(box.Text(), QStringLiteral("行 太字 後太字"));
    }

    // A web page's selection with a picture the editor cannot draw: the
    // words beside it come once, and so they are saved.
    void pastedPageWithUndrawablePicture()
    {
        RichTextBox box;
        QMimeData page;
        page.setText(QStringLiteral("見出し\n本文"));
        page.setHtml(QStringLiteral("<meta charset=\"utf-8\"><h1>見出し</h1><img src=\"https://example.invalid/a.webp\" "
                                    "alt=\"図\" width=\"40\" height=\"30\"><p>本文</p>"));
        page.setImageData(QImage());
        box.pasteFrom(&page);
        QTextDocument back;
        QVERIFY(mirka::rtf::read(box.RtfBytes(), &back));
        QCOMPARE(back.toPlainText(), QStringLiteral("見出し\n本文"));
    }

    void selectionEndingAtParagraphStart()
    {
        // Home, Shift+Down over "line": the next paragraph, right-aligned,
        // is not part of the copy.
        RichTextBox box;
        box.setText(QStringLiteral("line\nAFTER\n"));
        select(box, 5, 5);
        box.setSelAlignment(1);
        select(box, 0, 5);
        const QString copied = box.SelRTF();
        QVERIFY(!copied.contains(QStringLiteral("AFTER")));
        QVERIFY(!copied.contains(QStringLiteral("\\qr")));
        RichTextBox other;
        other.setText(QStringLiteral("x"));
        select(other, 0, 0);
        other.setSelRTF(copied);
        QCOMPARE(other.Text(), QStringLiteral("line\nx"));
        for (QTextBlock b = other.document()->begin(); b.isValid(); b = b.next())
            QCOMPARE(b.blockFormat().alignment() & Qt::AlignRight, Qt::Alignment());
        // The whole document keeps its closing empty paragraph.
        RichTextBox whole;
        QVERIFY(whole.LoadRtf(box.RtfBytes()));
        QCOMPARE(whole.document()->blockCount(), box.document()->blockCount());
    }

    void defaultFaceTravelsWithItsAlternate()
    {
        RichTextBox box;
        box.setText(QStringLiteral("本文"));
        const QByteArray rtf = box.RtfBytes();
        // "ＭＳ Ｐゴシック" in CP932, and the face used here as its alternate.
        const QByteArray design = "\\'82\\'6c\\'82\\'72 \\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e";
        QVERIFY(rtf.contains(design));
        const QString face = RichTextBox::defaultBodyFont().family();
        if (face != QStringLiteral("ＭＳ Ｐゴシック"))
            QVERIFY(rtf.contains("{\\*\\falt " + face.toLatin1() + "}"));
        // Read back: the installed face of the pair, and the same bytes.
        RichTextBox other;
        QVERIFY(other.LoadRtf(rtf));
        QCOMPARE(*other.SelFontName(), face);
        QCOMPARE(other.RtfBytes(), rtf);
        // Whichever of the pair is installed wins; the name first.
        QVERIFY(other.LoadRtf("{\\rtf1{\\fonttbl{\\f0 No Such Face{\\*\\falt DejaVu Serif};}"
                              "{\\f1 DejaVu Sans{\\*\\falt DejaVu Serif};}}\\f0 a\\f1 b}"));
        select(other, 0, 1);
        QCOMPARE(*other.SelFontName(), QStringLiteral("DejaVu Serif"));
        select(other, 1, 2);
        QCOMPARE(*other.SelFontName(), QStringLiteral("DejaVu Sans"));
    }

    void pastedParagraphsKeepTheirOwnMarks()
    {
        // "a" (centred) and "b" (right-aligned) pasted into "x|y": "xa" takes
        // a's paragraph, "by" keeps y's own; into an empty paragraph, b's.
        RichTextBox source;
        source.setText(QStringLiteral("a\nb"));
        select(source, 0, 0);
        source.setSelAlignment(2);
        select(source, 2, 2);
        source.setSelAlignment(1);
        select(source, 0, 3);
        const QString copied = source.SelRTF();
        RichTextBox box;
        box.setText(QStringLiteral("xy\n"));
        select(box, 1, 1);
        box.setSelRTF(copied);
        QCOMPARE(box.Text(), QStringLiteral("xa\nby\n"));
        const auto alignment = [&box](int block) {
            return box.document()->findBlockByNumber(block).blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        };
        QCOMPARE(alignment(0), Qt::AlignHCenter);
        QCOMPARE(alignment(1) & Qt::AlignRight, Qt::Alignment());
        select(box, 6, 6);
        box.setSelRTF(copied);
        QCOMPARE(box.Text(), QStringLiteral("xa\nby\na\nb"));
        QCOMPARE(alignment(3) & Qt::AlignRight, Qt::AlignRight);
    }

    void saveFailureIsReported()
    {
        TestEnv env;
        RichTextBox box;
        box.setText("first");
        const QString path = env.path("note.rtf");
        QVERIFY(box.SaveFile(path));
        const QByteArray saved = env.read("note.rtf");
        QCOMPARE(saved, box.RtfBytes());
        box.setText("second");
        QString error;
        QVERIFY(!box.SaveFile(env.path("no/such/folder/note.rtf"), &error));
        QVERIFY(!error.isEmpty());
        QDir(env.folder()).mkdir("taken.rtf"); // a folder where the file should go
        QVERIFY(!box.SaveFile(env.path("taken.rtf"), &error));
        QCOMPARE(env.read("note.rtf"), saved);
    }

    void loadFailsOnNonRtf()
    {
        TestEnv env;
        RichTextBox box;
        box.setText("keep me");
        env.write("plain.rtf", "just text");
        QVERIFY(!box.LoadFile(env.path("plain.rtf")));
        QVERIFY(!box.LoadFile(env.path("missing.rtf")));
        QCOMPARE(box.Text(), QString("keep me"));
        // A byte order mark and the trailing NUL of the Windows control are harmless.
        env.write("bom.rtf", QByteArray("\xEF\xBB\xBF{\\rtf1 hello\\par}\r\n") + '\0');
        QVERIFY(box.LoadFile(env.path("bom.rtf")));
        QCOMPARE(box.Text(), QString("hello"));
    }

    // A footnote or a picture Qt cannot draw, alone on its line, takes a
    // line's height like any text: its label never lies over its neighbours.
    void keptItemAloneOnItsLineHasItsHeight()
    {
        TestEnv env;
        env.write("kept.rtf", "{\\rtf1 before\\par {\\footnote x}\\par {\\pict\\wmetafile8 0100}\\par after\\par}");
        RichTextBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(box.LoadFile(env.path("kept.rtf")));
        QAbstractTextDocumentLayout *layout = box.document()->documentLayout();
        const QTextBlock first = box.document()->begin();
        const qreal lineHeight = layout->blockBoundingRect(first).height();
        QVERIFY(lineHeight > 0);
        qreal bottom = layout->blockBoundingRect(first).bottom();
        for (QTextBlock b = first.next(); b.isValid(); b = b.next()) {
            const QRectF r = layout->blockBoundingRect(b);
            QVERIFY2(r.top() >= bottom - 0.5 && r.height() >= lineHeight * 0.8,
                     qPrintable(QStringLiteral("paragraph %1 at %2 height %3").arg(b.blockNumber()).arg(r.top()).arg(r.height())));
            bottom = r.bottom();
        }
    }

    // A bulleted list as WordPad writes it: the label stands in the hanging
    // indent and the text at the left indent, as after the label's tab. An
    // item the user adds keeps that, through a save and a load.
    void listLabelStandsInItsHangingIndent()
    {
        TestEnv env;
        env.write("list.rtf",
                  "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}\\pard\\f0 intro\\par\n"
                  "{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
                  "\\fi-720\\li720 one\\par}");
        RichTextBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(box.LoadFile(env.path("list.rtf")));
        const auto textStart = [](const QTextBlock &b) { return b.layout()->lineAt(0).x(); };
        QTextBlock item = box.document()->lastBlock();
        QVERIFY(item.textList());
        QCOMPARE(textStart(item), 720 / 15.0);

        box.activateWindow();
        QTRY_VERIFY(box.hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("two"));
        QVERIFY(box.SaveFile(env.path("list.rtf")));
        const QByteArray saved = env.read("list.rtf");
        QCOMPARE(saved.count("\\fi-720"), 1); // the second item has the first one's paragraph
        RichTextBox other;
        other.show();
        QVERIFY(other.LoadFile(env.path("list.rtf")));
        QCOMPARE(other.Text(), QStringLiteral("intro\none\ntwo"));
        for (item = other.document()->begin().next(); item.isValid(); item = item.next()) {
            QVERIFY(item.textList());
            QCOMPARE(textStart(item), 720 / 15.0);
        }
    }
};

QTEST_MAIN(TestRichTextBox)
#include "tst_richtextbox.moc"

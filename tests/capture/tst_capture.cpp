// Capturing as a researcher does, through the real windows and engine:
// a passage with its source, recording from the keyboard, the recorded
// mark, zoom of the page and the note, print and PDF (read back by another
// program's text extractor).
#include "../support/windowdriving.h"
#include "../browser/loopbackserver.h"
#include "note/notezoom.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QProcess>

using namespace windowdriving;

class TestCapture : public QObject {
    Q_OBJECT

    TestEnv env;
    ScriptedDialogs dialogs;
    LoopbackServer server;
    std::unique_ptr<frmMain> frame;

    static QString pdfText(const QString &path)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        p.waitForFinished(engineTimeout);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    // The body's links and pictures, in order.
    static QStringList linksAndPictures(QTextDocument *doc)
    {
        QStringList out;
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat f = it.fragment().charFormat();
                if (f.isImageFormat())
                    out << QStringLiteral("picture");
                else if (f.isAnchor() && (out.isEmpty() || out.last() != f.anchorHref()))
                    out << f.anchorHref();
            }
        return out;
    }

    static bool hasInk(const QString &pdf)
    {
        QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-png"),
                                                       QStringLiteral("-singlefile"), pdf, pdf});
        const QImage page(pdf + QStringLiteral(".png"));
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (qGray(page.pixel(x, y)) < 128)
                    return true;
        return false;
    }

    static void wheel(QWidget *w, int dy)
    {
        QWheelEvent e(QPointF(w->rect().center()), QPointF(w->mapToGlobal(w->rect().center())),
                      QPoint(), QPoint(0, dy), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase,
                      false);
        QApplication::sendEvent(w, &e);
    }

private slots:
    void initTestCase()
    {
        frame = std::make_unique<frmMain>();
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    }

    void cleanup() { QVERIFY(closesAll()); }
    void cleanupTestCase() { frame.reset(); }

    // Keys and Ctrl+wheel zoom the page for the window, across its pages,
    // and the note body as a view only: the saved note stays the same.
    void zoom()
    {
        frmBrowser *b = loaded(server.url("/one"));
        QVERIFY(b);
        QWebEngineView *view = b->brwWebBrowser->view();
        key(b, Qt::Key_Plus, Qt::ControlModifier);
        key(b, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(view->zoomFactor(), 1.25);
        key(b, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(view->zoomFactor(), 1.1);
        QVERIFY(completes(b, [&] { typeAndEnter(b, server.url("/two")); }));
        QTRY_COMPARE(view->zoomFactor(), 1.1);
        wheel(view->focusProxy(), -120);
        QCOMPARE(view->zoomFactor(), 1.0);
        key(b, Qt::Key_Plus, Qt::ControlModifier);
        key(b, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(view->zoomFactor(), 1.0);

        Module1::NewNote();
        frmDocument *d = frmDocument::instance();
        d->rtfText->setFocus();
        d->rtfText->insertPlainText(QStringLiteral("本文 body"));
        d->rtfText->document()->setModified(false);
        const QByteArray before = d->rtfText->RtfBytes();
        const qreal height = d->rtfText->document()->documentLayout()->documentSize().height();
        d->setModified(false);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(mirka::notezoom::factor(d->rtfText), 1.1);
        wheel(d->rtfText->viewport(), 120);
        QCOMPARE(mirka::notezoom::factor(d->rtfText), 1.25);
        QVERIFY(d->rtfText->document()->documentLayout()->documentSize().height() > height * 1.2);
        QCOMPARE(d->rtfText->RtfBytes(), before);
        QVERIFY(!d->isModified());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(d->rtfText->document()->documentLayout()->documentSize().height(), height);
        d->setModified(false);
    }

    // Ctrl+D records from the keyboard, and from the toolbar reached with
    // Tab; the button shows a recorded page. A selected passage with a
    // picture and links comes into the note with Ctrl+Shift+D as a quotation
    // and its source, in one undo step; the page is recorded as ページ記録
    // records it. Saved and opened again, all of it is there.
    void captureAndRecord()
    {
        QByteArray png;
        QBuffer buffer(&png);
        QImage red(40, 30, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && red.save(&buffer, "PNG"));
        server.route("/pic.png", "200 OK", png, "image/png");
        server.route("/article", "200 OK",
                     "<html><head><meta charset=utf-8><title>記事の題</title></head><body><h1>Head</h1>"
                     "<p id=q>引用する <b>太字</b> text, <a href='/linked'>a link</a>, <img src='/pic.png'>"
                     "<a href='javascript:alert(1)'>js</a><script>var x;</script><span style='display:none'>"
                     "hidden</span> end.</p><p>after</p></body></html>");
        const QString article = server.url("/article");
        frmBrowser *b = loaded(article);
        QVERIFY(b);
        QAction *record = b->tbToolBar->findChild<QAction *>(QStringLiteral("check"));
        QVERIFY(!record->isChecked());

        key(b, Qt::Key_D, Qt::ControlModifier);
        frmDocument *d = frmDocument::instance();
        QVERIFY(d);
        QCOMPARE(d->List2->count(), 1);
        QTRY_VERIFY(record->toolTip().startsWith(QStringLiteral("このページは記録済みです")));
        QVERIFY(record->isChecked());

        b->cboAddress->setFocus();
        for (int i = 0; i < 12 && QApplication::focusWidget() != b->tbToolBar->widgetForAction(record); ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), b->tbToolBar->widgetForAction(record));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(d->List2->count(), 2);
        QTRY_VERIFY(record->isChecked());

        d->rtfText->insertPlainText(QStringLiteral("前の文。"));
        b->brwWebBrowser->view()->page()->runJavaScript(
            "var r = document.createRange(); r.selectNodeContents(document.getElementById('q'));"
            "getSelection().removeAllRanges(); getSelection().addRange(r);");
        QTRY_VERIFY(b->brwWebBrowser->view()->page()->hasSelection());
        key(b, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_COMPARE_WITH_TIMEOUT(d->List2->count(), 3, engineTimeout);
        QCOMPARE(d->List2->item(2)->text(), article);
        QTextDocument *body = d->rtfText->document();
        const QString text = body->toPlainText();
        QVERIFY2(text.contains(QStringLiteral("引用する 太字 text, a link,")) && text.contains(QStringLiteral("出典: 記事の題（"))
                     && !text.contains(QStringLiteral("hidden")) && !text.contains(QStringLiteral("var x")),
                 qPrintable(text));
        const QStringList expected{server.url("/linked"), QStringLiteral("picture"), article};
        QCOMPARE(linksAndPictures(body), expected);
        QVERIFY(body->findBlock(text.indexOf(QStringLiteral("引用する"))).blockFormat().leftMargin() > 0);
        QCOMPARE(body->findBlock(text.indexOf(QStringLiteral("出典"))).blockFormat().leftMargin(), 0);

        d->rtfText->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(body->toPlainText().trimmed(), QStringLiteral("前の文。"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::ControlModifier);
        // Pasted markup with a picture is written once (Qt leaves an empty
        // frame in the paragraph).
        QTextCursor(body).insertFragment(QTextDocumentFragment::fromHtml("<p>pasted <img src=x width=4 height=3></p>"));
        QCOMPARE(d->rtfText->RtfBytes().count("pasted"), 1);

        dialogs.fileAnswers << env.path("capture.rtf");
        Module1::SaveNoteAs();
        dialogs.fileAnswers << env.path("capture.rtf");
        d->mnuFileOpen->trigger();
        d = frmDocument::instance();
        QCOMPARE(linksAndPictures(d->rtfText->document()), expected);
        const QByteArray page = "\"" + article.toUtf8() + "\"";
        QCOMPARE(env.read("capture.qvt").count(page), 3);

        dialogs.fileAnswers << env.path("capture"); // ".pdf" is added
        d->mnuFileExportPdf->trigger();
        const QString pdf = pdfText(env.path("capture.pdf"));
        QVERIFY2(pdf.contains(QStringLiteral("引用する")) && pdf.contains(article) && pdf.contains(QStringLiteral("記録日時")),
                 qPrintable(pdf));
    }

    // Ctrl+P previews the note with its recorded pages, and a page; a page
    // is written as a PDF file another reader finds the text in (the note's
    // own PDF is the capture's test).
    void printAndPdf()
    {
        const QString recorded = server.url("/recorded");
        Module1::NewNote();
        frmDocument *d = frmDocument::instance();
        d->rtfText->insertPlainText(QStringLiteral("印刷する本文 2026-12-07"));
        frmDocument::AddRecordedPage(QStringLiteral("記録したページの題"), recorded);
        dialogs.previewFile = env.path("preview.pdf");
        d->rtfText->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);
        QString text = pdfText(env.path("preview.pdf"));
        QVERIFY2(text.contains(QStringLiteral("印刷する本文 2026-12-07")) && text.contains(QStringLiteral("記録したページの題"))
                     && text.contains(recorded),
                 qPrintable(text));
        d->setModified(false);

        server.route("/printed", "200 OK", "<html><head><meta charset=utf-8><title>P</title></head>"
                                           "<body><p>printed page 本文</p></body></html>");
        frmBrowser *b = loaded(server.url("/printed"));
        QVERIFY(b);
        dialogs.previewFile = env.path("page-preview.pdf");
        key(b, Qt::Key_P, Qt::ControlModifier);
        QVERIFY(hasInk(env.path("page-preview.pdf"))); // the engine prints pictures of its pages
        dialogs.fileAnswers << env.path("page.pdf");
        chooseFromMenuWhenShown(QStringLiteral("PDFとして保存..."));
        QTest::mouseClick(b->brwWebBrowser->view()->focusProxy(), Qt::RightButton, {}, QPoint(20, 20));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(env.path("page.pdf")), engineTimeout);
        QVERIFY(pdfText(env.path("page.pdf")).contains(QStringLiteral("printed page 本文")));
    }
};

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"

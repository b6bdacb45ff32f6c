// Capturing as a researcher does, through the real windows and engine:
// zoom of the page and the note, print and PDF (read back by another
// program's text extractor).
#include "../browser/browserdriving.h"
#include "../browser/loopbackserver.h"
#include "../support/scripteddialogs.h"
#include "../support/testenv.h"
#include "note/frmDocument.h"
#include "note/notezoom.h"
#include "note/notefiles.h"
#include "note/richtext/richtextbox.h"
#include "shell/Form1.h"
#include "shell/frmMain.h"

#include <QAbstractTextDocumentLayout>
#include <QMenu>
#include <QProcess>
#include <QLineEdit>
#include <QWebEngineView>
#include <QtTest>
#include <memory>

using namespace browserdriving;

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

    // Right-clicks the page and chooses the item, as the user does.
    static void pageMenu(frmBrowser *b, const QString &item)
    {
        QWidget *page = b->brwWebBrowser->view()->focusProxy();
        QTest::mouseClick(page, Qt::RightButton, {}, QPoint(20, 20));
        QMenu *menu = nullptr;
        QVERIFY(QTest::qWaitFor([&] { return (menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())); }));
        for (QAction *a : menu->actions())
            if (a->text().section(u'\t', 0, 0) == item)
                return QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
        menu->close();
        QFAIL("no such menu item");
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
        Form1::get().Text1->setText(server.url("/one"));
        frmBrowser *b = frmBrowser::createNew();
        QVERIFY(completes(b, [] {}));
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

    // Ctrl+P previews the note with its recorded pages; the note and a page
    // are written as PDF files another reader finds the text in.
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
        QCOMPARE(dialogs.asked.last().kind, QStringLiteral("preview"));
        QString text = pdfText(env.path("preview.pdf"));
        QVERIFY2(text.contains(QStringLiteral("印刷する本文 2026-12-07")) && text.contains(recorded), qPrintable(text));

        dialogs.fileAnswers << env.path("note");
        d->mnuFileExportPdf->trigger();
        text = pdfText(env.path("note.pdf"));
        QVERIFY2(text.contains(QStringLiteral("印刷する本文")) && text.contains(QStringLiteral("記録したページの題"))
                     && text.contains(recorded),
                 qPrintable(text));
        d->setModified(false);

        server.route("/printed", "200 OK", "<html><head><meta charset=utf-8><title>P</title></head>"
                                           "<body><p>printed page 本文</p></body></html>");
        Form1::get().Text1->setText(server.url("/printed"));
        frmBrowser *b = frmBrowser::createNew();
        QVERIFY(completes(b, [] {}));
        dialogs.previewFile = env.path("page-preview.pdf");
        key(b, Qt::Key_P, Qt::ControlModifier);
        QVERIFY(hasInk(env.path("page-preview.pdf"))); // the engine prints pictures of its pages
        dialogs.fileAnswers << env.path("page.pdf");
        pageMenu(b, QStringLiteral("PDFとして保存..."));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(env.path("page.pdf")), engineTimeout);
        QVERIFY(pdfText(env.path("page.pdf")).contains(QStringLiteral("printed page 本文")));
    }
};

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"

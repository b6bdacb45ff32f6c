// Capturing as a researcher does, through the real windows and engine:
// zoom of the page and the note.
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
        d->Modified = false;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(mirka::notezoom::factor(d->rtfText), 1.1);
        wheel(d->rtfText->viewport(), 120);
        QCOMPARE(mirka::notezoom::factor(d->rtfText), 1.25);
        QVERIFY(d->rtfText->document()->documentLayout()->documentSize().height() > height * 1.2);
        QCOMPARE(d->rtfText->RtfBytes(), before);
        QVERIFY(!d->Modified);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(d->rtfText->document()->documentLayout()->documentSize().height(), height);
        d->Modified = false;
    }
};

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"

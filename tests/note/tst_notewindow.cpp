#include "browser/frmBrowser.h"
#include "common/twips.h"
#include "note/frmDocument.h"
#include "note/notefiles.h"
#include "note/richtext/richtextbox.h"
#include "shell/frmMain.h"
#include "../support/scripteddialogs.h"
#include "../support/testenv.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>
#include <memory>

using mirka::twips::toPixels;

namespace {

QStringList items(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// A widget's geometry in twips at the test's 96 dpi (15 twips a pixel).
QRect twipsOf(const QWidget *w)
{
    const QRect g = w->geometry();
    return QRect(g.x() * 15, g.y() * 15, g.width() * 15, g.height() * 15);
}

} // namespace

// The note window itself: its fields, layout, recorded pages, menu and keys.
class TestNoteWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    std::unique_ptr<ScriptedDialogs> script;
    std::unique_ptr<frmMain> frame;

    frmDocument &doc() { return *frmDocument::instance(); }

    // Resizes the note window's client area to a size in twips.
    void resizeClient(int width, int height)
    {
        doc().resize(width / 15, height / 15);
    }

private slots:
    void initTestCase() { mirka::twips::setDpiForTesting(96); }

    void init()
    {
        env = std::make_unique<TestEnv>();
        script = std::make_unique<ScriptedDialogs>();
        frame = std::make_unique<frmMain>();
        frame->show();
    }

    void cleanup()
    {
        frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        script.reset();
        env.reset();
    }

    void freshWindow()
    {
        frmDocument &d = frmDocument::get();
        QVERIFY(d.isVisible());
        QCOMPARE(frame->mdiArea()->subWindowList().size(), 1);
        QCOMPARE(d.Text1->text(), QStringLiteral("テーマ名"));
        QCOMPARE(d.List1->count(), 0);
        QCOMPARE(d.List2->count(), 0);
        QVERIFY(!d.List2->isVisible());
        QVERIFY(d.rtfText->Text().isEmpty());
        QCOMPARE(d.Caption(), QString());
        QVERIFY(!d.Modified);
        QCOMPARE(&frmDocument::get(), &d);

        QCOMPARE(d.Label1->text(), QStringLiteral("テーマ"));
        QCOMPARE(d.Command2->text(), QStringLiteral("削除"));
        QCOMPARE(twipsOf(d.Text1), QRect(3120, 480, 3615, 375));
        QCOMPARE(twipsOf(d.Label1), QRect(2160, 600, 975, 375));
        QCOMPARE(twipsOf(d.Command2), QRect(120, 840, 735, 255));
        QVERIFY(d.Text1->font().families().contains(QStringLiteral("Noto Sans CJK JP")));
        QCOMPARE(d.Text1->font().families().first(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(d.Text1->font().pointSizeF(), 12.0);
        QVERIFY(!d.Text1->font().bold());
        QVERIFY(d.Label1->font().bold());
        QCOMPARE(d.List1->font().pointSizeF(), 11.25);
        QVERIFY(d.List1->font().bold());

        // Status bar along the bottom: the status text, the date, the time.
        QCOMPARE(d.sbStatusBar->geometry().bottom(), d.height() - 1);
        const QList<QLabel *> panels = d.sbStatusBar->findChildren<QLabel *>();
        QCOMPARE(panels.size(), 3);
        QCOMPARE(panels[0]->text(), QStringLiteral("ｽﾃｰﾀｽ"));
        QCOMPARE(panels[1]->text(), QDate::currentDate().toString("yyyy/MM/dd"));
        QVERIFY(panels[2]->text().contains(u':'));
        QCOMPARE(d.tbToolBar->geometry().topLeft(), QPoint(0, 0));
        QCOMPARE(d.tbToolBar->width(), d.width());
    }

    void layoutRule()
    {
        frmDocument &d = frmDocument::get();
        resizeClient(9000, 6000);
        QCOMPARE(d.rtfText->geometry(), toPixels(2100, 1000, 6900, 4800));
        QCOMPARE(d.rtfText->Width(), 6900);
        QCOMPARE(d.rtfText->RightMargin(), 6500);
        QCOMPARE(d.List1->geometry(), toPixels(100, 1000, 2000, 4900));

        // Too narrow for the editor: it stays; the list still follows.
        resizeClient(2000, 3000);
        QCOMPARE(d.rtfText->geometry(), toPixels(2100, 1000, 6900, 4800));
        QCOMPARE(d.rtfText->RightMargin(), 6500);
        QCOMPARE(d.List1->geometry(), toPixels(100, 1000, 2000, 1900));

        // Too low for both: nothing moves. Just high enough: zero heights.
        resizeClient(9000, 1050);
        QCOMPARE(d.rtfText->geometry(), toPixels(2100, 1000, 6900, 4800));
        QCOMPARE(d.List1->geometry(), toPixels(100, 1000, 2000, 1900));
        resizeClient(9000, 1200);
        QCOMPARE(d.rtfText->geometry(), toPixels(2100, 1000, 6900, 0));
        QCOMPARE(d.List1->geometry(), toPixels(100, 1000, 2000, 100));
    }

    void recordAndDeletePages()
    {
        frmDocument::AddRecordedPage("A", "http://a/");
        frmDocument::AddRecordedPage("B", "http://b/");
        frmDocument::AddRecordedPage("B", "http://b/");
        frmDocument::AddRecordedPage("C", "http://c/");
        frmDocument &d = doc();
        QCOMPARE(items(d.List1), (QStringList{"A", "B", "B", "C"}));
        QCOMPARE(items(d.List2), (QStringList{"http://a/", "http://b/", "http://b/", "http://c/"}));
        QVERIFY(d.Modified);

        // Delete with nothing selected does nothing; then the second page.
        d.Command2->click();
        QCOMPARE(d.List1->count(), 4);
        Module1::NewNote();
        script->fileAnswers << env->path("p.rtf");
        Module1::SaveNote();
        const QByteArray saved = env->read("p.qvt");
        d.List1->setCurrentRow(1);
        d.Command2->click();
        QCOMPARE(items(d.List1), (QStringList{"A", "B", "C"}));
        QCOMPARE(items(d.List2), (QStringList{"http://a/", "http://b/", "http://c/"}));
        // Deleting is not a change: Save writes nothing, closing asks nothing.
        QVERIFY(!d.Modified);
        Module1::SaveNote();
        QCOMPARE(env->read("p.qvt"), saved);
        const int asked = script->asked.size();
        d.closeWindow();
        QCOMPARE(script->asked.size(), asked);
    }

    void doubleClickOpensSharedBrowser()
    {
        env->write("page.html", "<html><head><title>P</title></head><body>p</body></html>");
        const QString address = QUrl::fromLocalFile(env->path("page.html")).toString();
        frmBrowser *own = frmBrowser::createNew();
        frmDocument::AddRecordedPage("P", address);
        frmDocument &d = doc();

        // Nothing selected: nothing happens.
        QTest::mouseDClick(d.List1->viewport(), Qt::LeftButton, {}, QPoint(150, 150));
        QVERIFY(!frmBrowser::sharedIfOpen());

        const QRect r = d.List1->visualItemRect(d.List1->item(0));
        QTest::mouseClick(d.List1->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(d.List1->viewport(), Qt::LeftButton, {}, r.center());
        frmBrowser *shared = frmBrowser::sharedIfOpen();
        QVERIFY(shared);
        QVERIFY(shared != own);
        QCOMPARE(shared->cboAddress->currentText(), address);
        QVERIFY(own->cboAddress->currentText() != address);
    }

    void menuAndShortcuts()
    {
        frmDocument &d = frmDocument::get();
        QStringList menus;
        for (QMenu *m : d.menus())
            menus << m->objectName() + u'=' + m->title();
        QCOMPARE(menus, (QStringList{"mnuFile=ﾌｧｲﾙ(&F)", "mnuEdit=編集(&E)", "mnuView=表示(&V)",
                                     "mnuWindow=ｳｨﾝﾄﾞｳ(&W)", "mnuHelp=ﾍﾙﾌﾟ(&H)"}));
        QStringList file;
        for (QAction *a : d.menus().first()->actions())
            file << a->objectName() + u'=' + (a->isSeparator() ? "-" : a->text()) + u'='
                        + a->shortcut().toString();
        QCOMPARE(file, (QStringList{"mnuFileNew=新規作成(&N)=Ctrl+N",
                                    "mnuViewWebBrowser=新規wwwブラウザを開く=",
                                    "mnuFileOpen=開く(&O)...=Ctrl+O", "mnuFileBar0=-=",
                                    "mnuFileSave=上書き保存(&S)=Ctrl+S",
                                    "mnuFileSaveAs=名前を付けて保存(&A)...=Ctrl+A",
                                    "mnuFileBar1=-=", "mnuFileExit=終了(&X)="}));
        QCOMPARE(d.mnuEdit->actions().size(), 3);
        QCOMPARE(d.mnuHelpAbout->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));

        // Ctrl+A is Save As, in the editor and in the theme box alike.
        frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame.get()));
        d.rtfText->setPlainText("abc");
        d.rtfText->setFocus();
        QTRY_VERIFY(d.rtfText->hasFocus());
        QTest::keyClick(d.rtfText, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(script->asked.size(), 1);
        QCOMPARE(script->asked.last().kind, QStringLiteral("save"));
        QVERIFY(!d.rtfText->textCursor().hasSelection());
        d.Text1->setFocus();
        QTest::keyClick(d.Text1, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(script->asked.size(), 2);

        // The Window menu lists the three children; tiling goes through the frame.
        frmBrowser::createNew();
        frmBrowser::createNew();
        emit d.mnuWindow->aboutToShow();
        QStringList windows;
        for (QAction *a : d.mnuWindow->actions())
            windows << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(windows.size(), 6);
        QCOMPARE(windows.mid(0, 3), (QStringList{"上下に並べて表示", "左右に並べて表示", "-"}));
        d.mnuWindowTileVertical->trigger();
        const QList<QMdiSubWindow *> subs = frame->mdiArea()->subWindowList();
        for (QMdiSubWindow *sub : subs)
            QCOMPARE(sub->height(), frame->mdiArea()->viewport()->height());

        // Exit closes only the note window.
        d.mnuFileExit->trigger();
        QTRY_COMPARE(frame->mdiArea()->subWindowList().size(), 2);
        QVERIFY(!frmDocument::instance());
        QVERIFY(frame->isVisible());
    }

    void modifiedFlag()
    {
        frmDocument &d = frmDocument::get();
        d.show();
        QVERIFY(!d.Modified);
        d.Text1->setText("t");
        QVERIFY(d.Modified);

        // A click into the body, with nothing typed, counts as a change.
        d.rtfText->setPlainText("some words here");
        d.Modified = false;
        QTest::mouseClick(d.rtfText->viewport(), Qt::LeftButton, {}, QPoint(30, 8));
        QVERIFY(d.Modified);
    }
};

QTEST_MAIN(TestNoteWindow)
#include "tst_notewindow.moc"

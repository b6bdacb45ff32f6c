// The road of one recorded page through the real windows and the real web
// engine: browse, record, save under a Japanese name, exit, start again, open,
// double-click the title to bring the page back.
#include "../support/scripteddialogs.h"
#include "../support/testenv.h"
#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "common/fieldrecord.h"
#include "common/savefile.h"
#include "note/frmDocument.h"
#include "note/notefiles.h"
#include "note/richtext/richtextbox.h"
#include "shell/Form1.h"
#include "shell/frmMain.h"

#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

namespace {

QString page(const TestEnv &env, const QString &name, const QString &title)
{
    const QString path = env.path(name);
    mirka::writeFileAtomically(path, "<html><head><meta charset=utf-8><title>" + title.toUtf8()
                                         + "</title></head><body>" + title.toUtf8()
                                         + "</body></html>");
    return QUrl::fromLocalFile(path).toString();
}

// Clicks a browser toolbar button the way a user does.
void clickToolbar(frmBrowser *b, const QString &key)
{
    for (QAction *a : b->tbToolBar->actions())
        if (a->data().toString() == key)
            QTest::mouseClick(b->tbToolBar->widgetForAction(a), Qt::LeftButton);
}

// Japanese text arrives the way an input method commits it.
void typeJapanese(QWidget *w, const QString &text)
{
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(w, &commit);
}

// Starts the program as main() does; returns the shared browser the option
// opened at start.
frmBrowser *start(frmMain &frame)
{
    frame.Form_Load();
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame))
        return nullptr;
    return frmBrowser::sharedIfOpen();
}

bool idleWithTitle(frmBrowser *b, const QString &title)
{
    return !b->brwWebBrowser->Busy() && b->windowTitle() == title;
}

} // namespace

class TestRoadOfAPage : public QObject {
    Q_OBJECT
private slots:
    void roadOfOnePage()
    {
        TestEnv env;
        ScriptedDialogs script;
        const QString a = page(env, "a.html", "Page A");
        const QString b = page(env, "b.html", "ページB");
        const QString c = page(env, "c.html", "年表, 1900-1950");
        mirka::FieldRecordWriter options;
        options.text(a).endLine().text(QString()).endLine().number(1).endLine();
        env.write("mirka.ini", options.data());
        const QString notePath = env.path("調査.rtf");

        {
            frmMain frame;
            // The option asks for the browser at start: it goes to the start page.
            frmBrowser *shared = start(frame);
            QVERIFY(shared);
            QTRY_VERIFY_WITH_TIMEOUT(idleWithTitle(shared, "Page A"), 15000);
            QCOMPARE(shared->cboAddress->currentText(), a);

            // Navigate from the address box, then record the page.
            shared->cboAddress->lineEdit()->selectAll();
            QTest::keyClicks(shared->cboAddress->lineEdit(), b);
            QTest::keyClick(shared->cboAddress->lineEdit(), Qt::Key_Return);
            QTRY_VERIFY_WITH_TIMEOUT(idleWithTitle(shared, "ページB"), 15000);
            QCOMPARE(shared->cboAddress->itemText(0), b);
            QCOMPARE(shared->cboAddress->count(), 2);
            clickToolbar(shared, "check");
            QVERIFY(frmDocument::instance());
            QCOMPARE(Module1::NoteWindowState(), 3);

            // A second page from a menu-made browser.
            frame.mnuViewWebBrowser->trigger();
            frmBrowser *menuMade = nullptr;
            for (QWidget *w : QApplication::allWidgets())
                if (auto *fb = qobject_cast<frmBrowser *>(w); fb && fb != shared)
                    menuMade = fb;
            QVERIFY(menuMade);
            QTRY_VERIFY_WITH_TIMEOUT(idleWithTitle(menuMade, "Page A"), 15000);
            menuMade->cboAddress->setEditText(c);
            QTest::keyClick(menuMade->cboAddress->lineEdit(), Qt::Key_Return);
            QTRY_VERIFY_WITH_TIMEOUT(idleWithTitle(menuMade, "年表, 1900-1950"), 15000);
            clickToolbar(menuMade, "check");

            // New keeps the recorded pages; type the body and theme; save.
            frame.mnuFileNew->trigger();
            frmDocument *doc = frmDocument::instance();
            QCOMPARE(doc->windowTitle(), QStringLiteral("新規ファイル"));
            QCOMPARE(doc->List1->count(), 2);
            doc->Text1->setText(QStringLiteral("地域の歴史"));
            doc->rtfText->setFocus();
            typeJapanese(doc->rtfText, QStringLiteral("城下町の"));
            doc->rtfText->setSelBold(true);
            typeJapanese(doc->rtfText, QStringLiteral("年表"));
            script.fileAnswers << notePath;
            doc->mnuFileSave->trigger();
            QCOMPARE(doc->windowTitle(), notePath);
            QVERIFY(!doc->isModified());
            QByteArray qvt;
            QVERIFY(mirka::readWholeFile(env.path("調査.qvt"), &qvt));
            QVERIFY(qvt.startsWith("\"\x92\x6e\x88\xe6\x82\xcc\x97\xf0\x8e\x6a\"\r\n"));
            QCOMPARE(qvt.count("\r\n"), 3);

            frame.move(40, 50);
            frame.close(); // saved: nothing is asked
            QCOMPARE(script.messages(), QStringList());
            QVERIFY(!frmDocument::instance());
            QVERIFY(!Form1::isLoaded());
        }
        {
            QSettings s(QSettings::NativeFormat, QSettings::UserScope, "webMirkabrowser");
            s.beginGroup("Settings");
            QVERIFY(s.contains("MainLeft") && s.contains("MainHeight"));
        }

        // Start again and open the note.
        frmMain frame;
        frmBrowser *shared = start(frame);
        QVERIFY(shared);
        script.fileAnswers << notePath;
        frame.mnuFileOpen->trigger();
        frmDocument *doc = frmDocument::instance();
        QVERIFY(doc);
        QCOMPARE(Module1::NoteWindowState(), 4);
        QCOMPARE(doc->windowTitle(), notePath);
        QCOMPARE(doc->Text1->text(), QStringLiteral("地域の歴史"));
        QCOMPARE(doc->rtfText->Text(), QStringLiteral("城下町の年表"));
        QCOMPARE(doc->List1->count(), 2);
        QCOMPARE(doc->List1->item(0)->text(), QStringLiteral("ページB"));
        QCOMPARE(doc->List1->item(1)->text(), QStringLiteral("年表, 1900-1950"));
        QCOMPARE(doc->List2->item(1)->text(), c);
        QTextCursor cur(doc->rtfText->document());
        cur.setPosition(5);
        QVERIFY(cur.charFormat().fontWeight() >= QFont::Bold);
        QVERIFY(doc->isModified()); // opening changes the theme text

        // Double-click the second title: the shared browser brings it back.
        const QRect r = doc->List1->visualItemRect(doc->List1->item(1));
        QTest::mouseClick(doc->List1->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(doc->List1->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(shared->cboAddress->currentText(), c);
        QTRY_VERIFY_WITH_TIMEOUT(shared->brwWebBrowser->LocationURL() == c
                                     && shared->windowTitle() == QStringLiteral("年表, 1900-1950"),
                                 15000);

        // Exit: the opened note counts as modified; No closes without saving.
        QByteArray before;
        QVERIFY(mirka::readWholeFile(notePath, &before));
        script.messageAnswers << mirka::MsgAnswer::No;
        frame.close();
        QCOMPARE(script.messages(), QStringList{QStringLiteral("ファイルを保存しますか")});
        QCOMPARE(script.asked.last().title, QStringLiteral("保存"));
        QByteArray after;
        QVERIFY(mirka::readWholeFile(notePath, &after));
        QCOMPARE(after, before);
        QCOMPARE(script.unscripted, 0);
    }
};

QTEST_MAIN(TestRoadOfAPage)
#include "tst_roadofapage.moc"

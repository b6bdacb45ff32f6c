#include "common/paths.h"
#include "../support/scripteddialogs.h"
#include "shell/Form1.h"
#include "shell/options.h"
#include "../support/testenv.h"

#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Form1::unload(); }

    void closeSavesThreeLines();
    void loadFollowsTheFailureRules();
    void windowControlCloseLosesEdits();
    void unwritableFileIsReported();
    void dialogLooksAsDesigned();
};

void TestOptions::closeSavesThreeLines()
{
    TestEnv env;
    ScriptedDialogs dialogs;
    Form1::showOptions();
    Form1 &f = Form1::get();
    QVERIFY(f.isVisible());
    f.Text1->setText(QStringLiteral("A"));
    f.Text2->clear();
    f.setCheck1Value(1);
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    QVERIFY(!f.isVisible());
    QVERIFY(Form1::isLoaded());
    const QByteArray bytes = env.read(QStringLiteral("mirka.ini"));
    QCOMPARE(bytes, QByteArray("\"A\"\r\n\"\"\r\n1\r\n"));
    QCOMPARE(bytes.size(), 12);

    // A comma inside an address, Japanese text and the grey state come back whole.
    f.Text1->setText(QStringLiteral("http://example.com/?a=1,b=2"));
    f.Text2->setText(QStringLiteral("http://検索.example/"));
    f.setCheck1Value(2);
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    Form1::unload();
    Form1 &g = Form1::get();
    QCOMPARE(g.Text1->text(), QStringLiteral("http://example.com/?a=1,b=2"));
    QCOMPARE(g.Text2->text(), QStringLiteral("http://検索.example/"));
    QCOMPARE(g.Check1Value(), 2);
    QVERIFY(!g.isVisible());
    QVERIFY(dialogs.asked.isEmpty());

    // A click on a grey box checks it; clicks never bring the grey back.
    QTest::mouseClick(g.Check1, Qt::LeftButton, {}, QPoint(6, g.Check1->height() / 2));
    QCOMPARE(g.Check1Value(), 1);
    QTest::mouseClick(g.Check1, Qt::LeftButton, {}, QPoint(6, g.Check1->height() / 2));
    QCOMPARE(g.Check1Value(), 0);
    QTest::mouseClick(g.Check1, Qt::LeftButton, {}, QPoint(6, g.Check1->height() / 2));
    QCOMPARE(g.Check1Value(), 1);
}

void TestOptions::loadFollowsTheFailureRules()
{
    TestEnv env;
    const QString ini = QStringLiteral("mirka.ini");

    // No file: empty fields, unchecked.
    QCOMPARE(Form1::get().Text1->text(), QString());
    QCOMPARE(Form1::get().Text2->text(), QString());
    QCOMPARE(Form1::get().Check1Value(), 0);
    Form1::unload();

    // Only the first line.
    env.write(ini, "\"A\"\r\n");
    QCOMPARE(Form1::get().Text1->text(), QStringLiteral("A"));
    QCOMPARE(Form1::get().Text2->text(), QString());
    QCOMPARE(Form1::get().Check1Value(), 0);

    // A third field that is not 0, 1 or 2 leaves the box as it was.
    Form1::get().setCheck1Value(1);
    env.write(ini, "\"A\"\r\n\"B\"\r\n7\r\n");
    Module1::LoadOptions();
    QCOMPARE(Form1::get().Text2->text(), QStringLiteral("B"));
    QCOMPARE(Form1::get().Check1Value(), 1);
    env.write(ini, "\"A\"\r\n\"B\"\r\nyes\r\n");
    Module1::LoadOptions();
    QCOMPARE(Form1::get().Check1Value(), 1);
    // A missing third field unchecks it.
    env.write(ini, "\"A\"\r\n\"B\"\r\n");
    Module1::LoadOptions();
    QCOMPARE(Form1::get().Check1Value(), 0);

    // What follows the third field is ignored; blanks around it are dropped.
    env.write(ini, "\"C\"\r\n\"D\"\r\n 2 \r\n\"E\"\r\n1\r\n");
    Module1::LoadOptions();
    QCOMPARE(Form1::get().Text1->text(), QStringLiteral("C"));
    QCOMPARE(Form1::get().Text2->text(), QStringLiteral("D"));
    QCOMPARE(Form1::get().Check1Value(), 2);

    // Invalid CP932 bytes and an unclosed quote load without harm.
    env.write(ini, QByteArray("\"\x81\"\r\n\"abc\r\n1\r\n"));
    Module1::LoadOptions();
    QCOMPARE(Form1::get().Text2->text(), QStringLiteral("abc"));
    QCOMPARE(Form1::get().Check1Value(), 1);
}

void TestOptions::windowControlCloseLosesEdits()
{
    TestEnv env;
    env.write(QStringLiteral("mirka.ini"), "\"A\"\r\n\"B\"\r\n0\r\n");
    Form1::showOptions();
    Form1::get().Text1->setText(QStringLiteral("edited"));
    // Readers see the edit at once, before Close.
    QCOMPARE(Form1::get().Text1->text(), QStringLiteral("edited"));

    QPointer<Form1> old(&Form1::get());
    QVERIFY(old->close());
    QVERIFY(!Form1::isLoaded());
    QTRY_VERIFY(!old);
    QCOMPARE(env.read(QStringLiteral("mirka.ini")), QByteArray("\"A\"\r\n\"B\"\r\n0\r\n"));
    QCOMPARE(Form1::get().Text1->text(), QStringLiteral("A"));
    QVERIFY(!Form1::get().isVisible());
}

void TestOptions::unwritableFileIsReported()
{
    TestEnv env;
    ScriptedDialogs dialogs;
    env.write(QStringLiteral("mirka.ini"), "\"old\"\r\n\"\"\r\n0\r\n");
    Form1::showOptions();
    Form1 &f = Form1::get();
    f.Text1->setText(QStringLiteral("new"));

    // The folder is gone: nothing can be created there.
    mirka::setExecutableFolder(env.path(QStringLiteral("gone")));
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    QCOMPARE(dialogs.messages().size(), 1);
    const QString path = mirka::fileBesideExecutable(QStringLiteral("mirka.ini"));
    QVERIFY2(dialogs.messages().first().contains(path), qPrintable(dialogs.messages().first()));
    QVERIFY(dialogs.messages().first().split(u'\n').last().size() > 0); // the reason
    QCOMPARE(dialogs.asked.first().buttons, mirka::MsgButtons::OK);
    // The values stay in force for the running program.
    QVERIFY(!f.isVisible());
    QCOMPARE(Form1::get().Text1->text(), QStringLiteral("new"));

    // An options file that cannot be replaced keeps what it held.
    mirka::setExecutableFolder(env.folder());
    QFile::remove(env.path(QStringLiteral("mirka.ini")));
    QVERIFY(QDir(env.folder()).mkdir(QStringLiteral("mirka.ini")));
    QTest::mouseClick(f.Command1, Qt::LeftButton);
    QCOMPARE(dialogs.messages().size(), 2);
    QVERIFY(QFileInfo(env.path(QStringLiteral("mirka.ini"))).isDir());
}

void TestOptions::dialogLooksAsDesigned()
{
    TestEnv env;
    Form1 &f = Form1::get();
    QCOMPARE(f.windowTitle(), QStringLiteral("オプション"));
    QVERIFY(f.windowFlags() & Qt::Tool);
    QVERIFY(!(f.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(f.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!f.parentWidget());
    QCOMPARE(f.Check1->text(), QStringLiteral("起動時にブラスザを開く"));
    QVERIFY(f.Check1->isTristate());
    // The design face, or a Japanese Gothic standing in for it.
    const QString family = QFontInfo(f.Label1->font()).family();
    QVERIFY2(family.contains(QStringLiteral("ゴシック")) || family.contains(QStringLiteral("Gothic"))
                 || family.contains(QStringLiteral("CJK JP")),
             qPrintable(family));
    Form1::showOptions();
    QVERIFY(!f.isModal());
    QVERIFY(!QApplication::modalWindow());
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"

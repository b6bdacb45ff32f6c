#include "../support/scripteddialogs.h"
#include "../support/testenv.h"
#include "common/paths.h"
#include "shell/Form1.h"
#include "shell/options.h"

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

    void closeSavesThreeLines()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        Form1::showOptions();
        Form1 &f = Form1::get();
        f.Text1->setText(QStringLiteral("A"));
        f.setCheck1Value(1);
        QTest::mouseClick(f.Command1, Qt::LeftButton);
        QVERIFY(!f.isVisible() && Form1::isLoaded());
        QCOMPARE(env.read(QStringLiteral("mirka.ini")), QByteArray("\"A\"\r\n\"\"\r\n1\r\n"));

        // A comma, Japanese text and the grey state come back whole.
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

        // Clicks check and uncheck; only the program sets grey.
        for (int expected : {1, 0, 1}) {
            QTest::mouseClick(g.Check1, Qt::LeftButton, {}, QPoint(6, g.Check1->height() / 2));
            QCOMPARE(g.Check1Value(), expected);
        }
    }

    void loadFollowsTheFailureRules()
    {
        TestEnv env;
        struct Case {
            QByteArray file;
            int preset, check;
            const char *text1, *text2;
        };
        const Case cases[] = {
            {QByteArray(), 1, 0, "", ""},         // no file
            {"\"A\"\r\n", 1, 0, "A", ""},         // only the first line
            {"\"A\"\r\n\"B\"\r\n7\r\n", 1, 1, "A", "B"}, // not 0, 1 or 2: unchanged
            {"\"A\"\r\n\"B\"\r\nyes\r\n", 2, 2, "A", "B"},
            {"\"C\"\r\n\"D\"\r\n 2 \r\n\"E\"\r\n1\r\n", 0, 2, "C", "D"}, // rest ignored
            {"\"\x81\"\r\n\"abc\r\n1\r\n", 0, 1, "\xef\xbf\xbd", "abc"}, // broken bytes
        };
        for (const Case &c : cases) {
            QFile::remove(env.path(QStringLiteral("mirka.ini")));
            if (!c.file.isNull())
                env.write(QStringLiteral("mirka.ini"), c.file);
            Form1::get().setCheck1Value(c.preset);
            Module1::LoadOptions();
            QCOMPARE(Form1::get().Text1->text(), QString::fromUtf8(c.text1));
            QCOMPARE(Form1::get().Text2->text(), QString::fromUtf8(c.text2));
            QCOMPARE(Form1::get().Check1Value(), c.check);
        }
    }

    void windowControlCloseLosesEdits()
    {
        TestEnv env;
        env.write(QStringLiteral("mirka.ini"), "\"A\"\r\n\"B\"\r\n0\r\n");
        Form1::showOptions();
        Form1::get().Text1->setText(QStringLiteral("edited"));
        QPointer<Form1> old(&Form1::get());
        QVERIFY(old->close());
        QVERIFY(!Form1::isLoaded());
        QTRY_VERIFY(!old);
        QCOMPARE(env.read(QStringLiteral("mirka.ini")), QByteArray("\"A\"\r\n\"B\"\r\n0\r\n"));
        QCOMPARE(Form1::get().Text1->text(), QStringLiteral("A"));
        QVERIFY(!Form1::get().isVisible());

        // The design face, or a Japanese Gothic standing in for it.
        const QString family = QFontInfo(Form1::get().Label1->font()).family();
        QVERIFY2(family.contains(QStringLiteral("ゴシック")) || family.contains(QStringLiteral("Gothic"))
                     || family.contains(QStringLiteral("CJK JP")),
                 qPrintable(family));
    }

    void unwritableFileIsReported()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        Form1::showOptions();
        Form1 &f = Form1::get();
        f.Text1->setText(QStringLiteral("new"));
        mirka::setExecutableFolder(env.path(QStringLiteral("gone")));
        QTest::mouseClick(f.Command1, Qt::LeftButton);
        QCOMPARE(dialogs.messages().size(), 1);
        const QStringList lines = dialogs.messages().first().split(u'\n');
        QCOMPARE(lines.value(1), mirka::fileBesideExecutable(QStringLiteral("mirka.ini")));
        QVERIFY(!lines.value(2).isEmpty()); // the reason
        // The values stay in force for the running program.
        QVERIFY(!f.isVisible());
        QCOMPARE(Form1::get().Text1->text(), QStringLiteral("new"));
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"

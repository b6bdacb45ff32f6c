#include "common/apptitle.h"
#include "common/dialogs.h"
#include "common/paths.h"
#include "common/savefile.h"
#include "common/twips.h"
#include "../support/scripteddialogs.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestCommonHelpers : public QObject {
    Q_OBJECT
private slots:
    void fileBesideExecutable()
    {
        const QString sep = QDir::separator();
        mirka::setExecutableFolder(QStringLiteral("/opt/mirka"));
        QCOMPARE(mirka::fileBesideExecutable("mirka.ini"),
                 QDir::toNativeSeparators("/opt/mirka") + sep + "mirka.ini");
        // At the root the folder already ends with the separator: not doubled.
        mirka::setExecutableFolder(QDir::rootPath());
        QCOMPARE(mirka::fileBesideExecutable("mirka.ini"),
                 QDir::toNativeSeparators(QDir::rootPath()) + "mirka.ini");
        QVERIFY(!mirka::fileBesideExecutable("x").contains(sep + sep));
        mirka::setExecutableFolder(QString());
        QCOMPARE(mirka::executableFolder(),
                 QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
    }

    void twipsAtKnownDpi()
    {
        mirka::twips::setDpiForTesting(96);
        QCOMPARE(mirka::twips::toPixelsX(1440), 96);
        QCOMPARE(mirka::twips::toPixelsY(6500), 433);
        QCOMPARE(mirka::twips::fromPixelsX(96), 1440);
        QCOMPARE(mirka::twips::fromPixelsY(-15), -225);
        mirka::twips::setDpiForTesting(0);
    }

    void atomicWriteKeepsOldFileOnFailure()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.txt");
        QString error;
        QVERIFY(mirka::writeFileAtomically(path, "old", &error));
        QByteArray data;
        QVERIFY(mirka::readWholeFile(path, &data));
        QCOMPARE(data, QByteArray("old"));
        // A folder that does not exist cannot be written; the reason is given.
        QVERIFY(!mirka::writeFileAtomically(dir.filePath("no/such/b.txt"), "x", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!mirka::readWholeFile(dir.filePath("missing"), &data, &error));
    }

    void messageBoxTitleAndCommonDialogMemory()
    {
        ScriptedDialogs script;
        script.messageAnswers << mirka::MsgAnswer::No;
        QCOMPARE(mirka::MsgBox("q", mirka::MsgButtons::YesNo), mirka::MsgAnswer::No);
        QCOMPARE(script.asked.last().title, mirka::appTitle());
        mirka::MsgBox("t", mirka::MsgButtons::OK, QStringLiteral("保存"));
        QCOMPARE(script.asked.last().title, QStringLiteral("保存"));
        QCOMPARE(script.messages(), (QStringList{"q", "t"}));

        mirka::CommonDialog dlg;
        dlg.Filter = QStringLiteral("Mirkaのﾌｧｲﾙ (*.rtf)|*.rtf");
        dlg.Flags = mirka::CommonDialog::OverwritePrompt;
        script.fileAnswers << "/tmp/x/調査.rtf" << "";
        QVERIFY(dlg.ShowSave());
        QCOMPARE(dlg.FileName, QStringLiteral("/tmp/x/調査.rtf"));
        QCOMPARE(dlg.FileTitle, QStringLiteral("調査.rtf"));
        QVERIFY(script.asked.last().file.confirmOverwrite);
        // The next dialog starts from the remembered file name.
        dlg.CancelError = true;
        QVERIFY(!dlg.ShowOpen());
        QCOMPARE(script.asked.last().file.initialFile, QStringLiteral("/tmp/x/調査.rtf"));
        QCOMPARE(dlg.FileName, QStringLiteral("/tmp/x/調査.rtf"));
        // Without CancelError a cancel reports an empty name.
        dlg.CancelError = false;
        QVERIFY(dlg.ShowSave());
        QVERIFY(dlg.FileName.isEmpty());

        script.colorAnswers << std::nullopt;
        dlg.CancelError = true;
        dlg.Color = Qt::red;
        QVERIFY(!dlg.ShowColor());
        QCOMPARE(dlg.Color, QColor(Qt::red));
    }
};

QTEST_MAIN(TestCommonHelpers)
#include "tst_commonhelpers.moc"

#include "common/apptitle.h"
#include "common/colordialog.h"
#include "common/dialogs.h"
#include "common/fileerror.h"
#include "common/paths.h"
#include "common/safelinks.h"
#include "common/fontdialog.h"
#include "common/fonts.h"
#include "common/savefile.h"
#include "common/twips.h"
#include "../support/scripteddialogs.h"
#include "../support/testenv.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFontDatabase>
#include <QLineEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QTemporaryDir>
#include <QtTest>

#ifndef _WIN32
#include <sys/stat.h>
#endif

class TestCommonHelpers : public QObject {
    Q_OBJECT

    static QLineEdit *box(QWidget &dialog, const char *name)
    {
        return dialog.findChild<QLineEdit *>(QString::fromLatin1(name));
    }
    static bool same(const mirka::FontChoice &a, const mirka::FontChoice &b)
    {
        return a.name == b.name && a.size == b.size && a.bold == b.bold && a.italic == b.italic;
    }

private slots:
    // Exported pages keep only links that open a page, a file or a mail,
    // however a browser would read the address.
    void exportedLinks_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("linkable");
        for (const char *a : {"http://example.org/", "HTTPS://example.org/", "file:///C:/note.html",
                              "mailto:x@example.org", " \x01https://example.org/", "#part"})
            QTest::newRow(a) << QString::fromLatin1(a) << true;
        for (const char *a : {"javascript:alert(1)", "JaVaScRiPt:alert(1)", "java\tscript:alert(1)",
                              " \x01java\nscript:alert(1)", "vbscript:msgbox", "data:text/html,<b>x</b>",
                              "x-custom:payload", "example.org", "//example.org", ""})
            QTest::newRow(a) << QString::fromLatin1(a) << false;
        QTest::newRow("entity-spelt") << QStringLiteral("java&#x09;script&#58;alert(1)") << false;
    }

    void exportedLinks()
    {
        QFETCH(QString, address);
        QFETCH(bool, linkable);
        QCOMPARE(mirka::safelinks::isLinkable(address), linkable);
        // As a recorded page, and as a link in the body the way Qt writes it.
        QCOMPARE(mirka::safelinks::linkOrText(address, "title").startsWith("<a href="), linkable);
        QTextDocument doc;
        QTextCursor c(&doc);
        c.insertText("before ");
        QTextCharFormat link;
        link.setAnchor(true);
        link.setAnchorHref(address);
        c.insertText("<the link>", link);
        c.insertText(" after", QTextCharFormat());
        const QString html = mirka::safelinks::withLinkableLinksOnly(doc.toHtml());
        QCOMPARE(html.contains("<a "), linkable);
        QVERIFY(html.contains("&lt;the link&gt;"));
        QVERIFY(html.contains(" after"));
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

    // A device link is never read, and a write never goes through a FIFO nor
    // replaces it (the readers' own bounds are shown on their files).
    void specialFilesUntouched()
    {
#ifdef _WIN32
        QSKIP("FIFOs and /dev are POSIX");
#else
        QTemporaryDir dir;
        const QString fifo = dir.filePath("fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(QFile::link("/dev/zero", dir.filePath("zero")));
        QByteArray data("kept");
        QString error;
        QVERIFY(!mirka::readWholeFile(dir.filePath("zero"), &data, &error, mirka::maxSettingsFileSize));
        QCOMPARE(error, mirka::notRegularFileReason());
        QVERIFY(!mirka::writeFileAtomically(fifo, "x", &error));
        QVERIFY(mirka::isSpecialFile(fifo));
        QCOMPARE(data, QByteArray("kept"));
#endif
    }

    // A real full disk: every write is checked before anything is replaced.
    void fullDiskKeepsOldFiles()
    {
        SmallFilesystem fs(32 * 1024);
        if (!fs.mounted())
            QSKIP(qPrintable(fs.whyNot()));
        QVERIFY(mirka::writeFileAtomically(fs.path("a"), "old a"));
        QVERIFY(mirka::writeFileAtomically(fs.path("b"), "old b"));
        fs.fillLeaving(4096);
        QString error, failed;
        // Smaller than the write buffer: the failure comes only at the flush.
        QVERIFY(!mirka::writeFileAtomically(fs.path("a"), QByteArray(10249, 'n'), &error));
        QCOMPARE(error, QStringLiteral("ディスクの空き容量が足りません。"));
        QVERIFY(!mirka::writeFilesTogether({{fs.path("a"), "new a"}, {fs.path("b"), QByteArray(70000, 'n')}},
                                           &failed, &error));
        QCOMPARE(failed, fs.path("b"));
        QByteArray data;
        QVERIFY(mirka::readWholeFile(fs.path("a"), &data) && data == "old a");
        QVERIFY(mirka::readWholeFile(fs.path("b"), &data) && data == "old b");
        QCOMPARE(QDir(fs.path(".")).entryList(QDir::Files).size(), 3); // no temporary left
    }


    // The font and colour dialogs the program shows (tests elsewhere answer
    // them through the seam): their own values, without showing them.
    void fontDialogOpensOnThePreset()
    {
        // Faces without an italic style, faces not installed here, sizes
        // between whole points: OK gives each back untouched.
        const mirka::FontChoice presets[] = {
            {QStringLiteral("Noto Sans CJK JP"), 11.25, true, true},
            {QStringLiteral("ＭＳ Ｐゴシック"), 10.5, false, true},
            {QStringLiteral("DejaVu Serif"), 72, true, false},
        };
        for (const mirka::FontChoice &preset : presets) {
            mirka::FontDialog dialog(preset);
            QVERIFY(dialog.choice() && same(*dialog.choice(), preset));
            QCOMPARE(box(dialog, "face")->text(), preset.name);
        }
        QCOMPARE(mirka::FontDialog::sizeText(11.25), QStringLiteral("11.25"));
        QCOMPARE(mirka::FontDialog::sizeText(10.5), QStringLiteral("10.5"));

        // No underline, strike-out or colour to choose.
        mirka::FontDialog dialog(presets[0]);
        QVERIFY(dialog.findChildren<QCheckBox *>().isEmpty());
    }

    void fontDialogTakesWhatIsTyped()
    {
        mirka::FontDialog dialog({QStringLiteral("DejaVu Sans"), 12, false, false});
        QLineEdit *size = box(dialog, "size");
        size->clear();
        QTest::keyClicks(size, "10.5");
        QCOMPARE(dialog.choice()->size, 10.5);
        // Letters are refused; an empty size cannot be applied, and OK
        // stays open.
        QTest::keyClicks(size, "pt");
        QCOMPARE(size->text(), QStringLiteral("10.5"));
        size->clear();
        QVERIFY(!dialog.choice());
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        box(dialog, "style")->setText(mirka::FontDialog::styleNames().at(3));
        box(dialog, "face")->setText(QStringLiteral("DejaVu Serif"));
        size->setText(QStringLiteral("9"));
        const mirka::FontChoice c = *dialog.choice();
        QVERIFY(same(c, {QStringLiteral("DejaVu Serif"), 9, true, true}));
    }

    void colorDialogOffersTheBasicPalette()
    {
        const QList<QColor> basic = mirka::ColorDialog::basicColors();
        QCOMPARE(basic.size(), 48);
        // A basic colour is selected; OK gives it back.
        mirka::ColorDialog dialog(basic.at(9));
        QVERIFY(dialog.swatch(9)->isChecked());
        QCOMPARE(dialog.color(), basic.at(9));
        dialog.swatch(20)->click();
        QCOMPARE(dialog.color(), basic.at(20));
        QVERIFY(dialog.swatch(20)->isChecked() && !dialog.swatch(9)->isChecked());
        // Any other colour stays the choice until a swatch is clicked.
        mirka::ColorDialog other(QColor(1, 2, 3));
        for (int i = 0; i < 48; ++i)
            QVERIFY(!other.swatch(i)->isChecked());
        QCOMPARE(other.color(), QColor(1, 2, 3));
    }

    // Windows' Japanese faces, missing here, draw with a Japanese face for
    // Latin letters and digits too (the system's fallback would mix sizes).
    void windowsJapaneseFacesDrawnWithJapaneseOnes()
    {
        mirka::installJapaneseFontSubstitutes();
        for (const char *name : {"ＭＳ Ｐゴシック", "MS Mincho", "メイリオ"}) {
            const QString face = QFontInfo(QFont(QString::fromUtf8(name))).family();
            QVERIFY2(QFontDatabase::writingSystems(face).contains(QFontDatabase::Japanese), qPrintable(face));
        }
    }
};

QTEST_MAIN(TestCommonHelpers)
#include "tst_commonhelpers.moc"

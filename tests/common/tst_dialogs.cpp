// The font and colour dialogs the program shows; tests elsewhere answer
// them through the seam, here their own values are checked without showing
// them.
#include "common/colordialog.h"
#include "common/fontdialog.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

class TestDialogs : public QObject {
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
            QCOMPARE(box(dialog, "size")->text(), mirka::FontDialog::sizeText(preset.size));
        }
        QCOMPARE(mirka::FontDialog::sizeText(11.25), QStringLiteral("11.25"));
        QCOMPARE(mirka::FontDialog::sizeText(10.5), QStringLiteral("10.5"));

        // No underline, strike-out or colour to choose.
        mirka::FontDialog dialog(presets[0]);
        QVERIFY(dialog.findChildren<QCheckBox *>().isEmpty());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("フォント"));
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
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"

// Favourites: the icon prompt, the shared "tobla.ini", GO and X.
#include "browsertestkit.h"

#include "../support/scripteddialogs.h"
#include "../support/testenv.h"
#include "browser/favourites.h"
#include "common/apptitle.h"
#include "common/codepage.h"
#include "common/paths.h"
#include "shell/Form1.h"

#include <QLineEdit>
#include <QPushButton>
#include <memory>

using namespace kit;

namespace {
const QString placeholder = QStringLiteral("お気に入り");
const QString refusal = QStringLiteral("1～6の数字を入れてください");
} // namespace

class TestFavourites : public QObject {
    Q_OBJECT

    TestEnv env;
    ScriptedDialogs dialogs;
    QTemporaryDir pages;
    std::unique_ptr<frmMain> frame;

    // Adds the page the window shows with this answer to the icon prompt.
    static void add(frmBrowser *b, const QString &caption, const QString &address,
                    const std::optional<QString> &answer, ScriptedDialogs &dialogs)
    {
        b->setWindowTitle(caption);
        b->cboAddress->setEditText(address);
        dialogs.inputAnswers = {answer};
        pressButton(b, "fav");
    }

    static QByteArray line(int icon, const QString &text, const QString &address)
    {
        return QByteArray::number(icon) + ",\"" + mirka::cp932::encode(text) + "\",\""
            + mirka::cp932::encode(address) + "\"\r\n";
    }

private slots:
    void initTestCase()
    {
        frame = std::make_unique<frmMain>();
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        Form1::get().Text1->setText(QString());
    }

    void cleanup()
    {
        QVERIFY(closeAllChildren());
        dialogs.asked.clear();
        QFile::remove(env.path("tobla.ini"));
        QDir(env.path("tobla.ini")).removeRecursively();
    }

    void cleanupTestCase() { frame.reset(); }

    // The prompt and how its answer is read; refused answers add nothing.
    void iconAnswers()
    {
        frmBrowser *b = frmBrowser::createNew();
        QCOMPARE(b->ImageCombo1->currentText(), placeholder);
        QCOMPARE(b->ImageCombo1->count(), 0);

        const QList<std::pair<QString, int>> accepted = {
            {"3", 3}, {" 4 ", 4}, {"5x", 5}, {"2.5", 2}, {"3.5", 4}, {"0.6", 1}, {"6.5", 6},
            {"\t+2\n", 2}, {".5e1", 5}, {"1e", 1}};
        for (const auto &[answer, icon] : accepted) {
            add(b, "Page", "http://a/", answer, dialogs);
            QCOMPARE(b->ImageCombo1->count(), 1);
            QCOMPARE(env.read("tobla.ini"), line(icon, "Page", "http://a/"));
            QVERIFY(dialogs.messages().isEmpty());
            b->ImageCombo1->setCurrentIndex(0);
            b->DeleteFavourite();
        }
        const ScriptedDialogs::Asked &prompt = dialogs.asked.first();
        QCOMPARE(prompt.kind, QStringLiteral("input"));
        QCOMPARE(prompt.text, QStringLiteral("アイコン番号 1-くま2-いぬ3-ねこ4-音符5-むし6-パソコン"));
        QCOMPARE(prompt.title, QStringLiteral("アイコン設定"));
        QCOMPARE(prompt.file.initialFile, QStringLiteral("1"));

        const QList<std::optional<QString>> refused = {
            QString("6.6"), QString("0.4"), QString("-1"), QString("1 2"), QString("40000"),
            QString("abc"), QString(""), QString("1e999"), std::nullopt};
        for (const std::optional<QString> &answer : refused) {
            dialogs.asked.clear();
            add(b, "Page", "http://a/", answer, dialogs);
            QCOMPARE(b->ImageCombo1->count(), 0);
            QCOMPARE(dialogs.messages(), QStringList{refusal});
            QCOMPARE(dialogs.asked.last().title, mirka::appTitle());
        }
        QCOMPARE(env.read("tobla.ini"), QByteArray());
    }

    // The first addition makes a one-line file; text with a comma or a
    // double quote; order, icons and addresses survive a save and a load in
    // another window; deleting the last leaves zero bytes.
    void fileRoundTrip()
    {
        frmBrowser *one = frmBrowser::createNew();
        QVERIFY(!QFile::exists(env.path("tobla.ini")));
        add(one, "年表, 1900-1950", "file:///C:/docs/a.html", "6", dialogs);
        QCOMPARE(env.read("tobla.ini"), line(6, "年表, 1900-1950", "file:///C:/docs/a.html"));
        add(one, "Say \"hi\"", "http://b/", "1", dialogs);
        add(one, "くま", "http://c/", "3", dialogs);
        QCOMPARE(one->ImageCombo1->currentText(), placeholder);
        QCOMPARE(one->ImageCombo1->currentIndex(), -1);

        frmBrowser *two = frmBrowser::createNew();
        QCOMPARE(two->ImageCombo1->count(), 3);
        const QStringList texts = {"年表, 1900-1950", "Say \u201Dhi\u201D", "くま"};
        const QStringList addresses = {"file:///C:/docs/a.html", "http://b/", "http://c/"};
        const QList<int> icons = {6, 1, 3};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(two->ImageCombo1->itemText(i), texts[i]);
            QCOMPARE(two->ImageCombo1->itemData(i, Qt::UserRole).toString(), addresses[i]);
            QCOMPARE(two->ImageCombo1->itemIcon(i).cacheKey(), two->ImageList2[icons[i] - 1].cacheKey());
        }

        // Deleting the middle one in the second window moves the next up.
        chooseFromList(two->ImageCombo1, 1);
        QCOMPARE(two->ImageCombo1->currentText(), texts[1]);
        two->Command2->click();
        QCOMPARE(two->ImageCombo1->currentText(), placeholder);
        QCOMPARE(env.read("tobla.ini"),
                 line(6, texts[0], addresses[0]) + line(3, texts[2], addresses[2]));
        for (int i = 0; i < 2; ++i) {
            chooseFromList(two->ImageCombo1, 0);
            two->Command2->click();
        }
        QCOMPARE(two->ImageCombo1->count(), 0);
        QVERIFY(QFile::exists(env.path("tobla.ini")));
        QCOMPARE(env.read("tobla.ini").size(), 0);
        QVERIFY(dialogs.messages().isEmpty());
    }

    // GO opens the chosen favourite; choosing alone does not; a favourite
    // named like the placeholder can be neither opened nor deleted.
    void openAndPlaceholder()
    {
        const QString page = writePage(pages, "fav.html", "Favourite page");
        frmBrowser *b = frmBrowser::createNew();
        add(b, "Favourite page", page, "4", dialogs);
        add(b, placeholder, "http://never/", "2", dialogs);
        b->setWindowTitle(QString());
        b->cboAddress->setEditText(QString());

        b->Command1->click();
        QVERIFY(!b->brwWebBrowser->Busy());
        chooseFromList(b->ImageCombo1, 0);
        QCOMPARE(b->ImageCombo1->currentText(), QStringLiteral("Favourite page"));
        QVERIFY(!b->brwWebBrowser->Busy());
        QVERIFY(completes(b, [&] { b->Command1->click(); }));
        QCOMPARE(history(b), QStringList{page});
        QVERIFY(settles(b));
        QCOMPARE(b->windowTitle(), QStringLiteral("Favourite page"));

        const QByteArray before = env.read("tobla.ini");
        chooseFromList(b->ImageCombo1, 1);
        QCOMPARE(b->ImageCombo1->currentText(), placeholder);
        b->Command1->click();
        QCOMPARE(b->cboAddress->currentText(), page);
        QVERIFY(!b->timTimer->isActive());
        b->Command2->click();
        QCOMPARE(b->ImageCombo1->count(), 2);
        QCOMPARE(env.read("tobla.ini"), before);
    }

    // Every window reads the shared file when it becomes active; the choice
    // survives a reload that still holds it.
    void sharedBetweenWindows()
    {
        frmBrowser *one = frmBrowser::createNew();
        frmBrowser *two = frmBrowser::createNew();
        add(two, "first", "http://1/", "1", dialogs);
        activate(one);
        QCOMPARE(one->ImageCombo1->count(), 1);
        chooseFromList(one->ImageCombo1, 0);

        add(one, "second", "http://2/", "5", dialogs);
        QCOMPARE(two->ImageCombo1->count(), 1);
        activate(two);
        QCOMPARE(two->ImageCombo1->count(), 2);
        QCOMPARE(two->ImageCombo1->itemText(1), QStringLiteral("second"));
        QCOMPARE(two->ImageCombo1->itemData(1, Qt::UserRole + 1).toInt(), 5);

        activate(one);
        QCOMPARE(one->ImageCombo1->currentText(), QStringLiteral("first"));
        QCOMPARE(one->ImageCombo1->currentIndex(), 0);
    }

    // A file that cannot be written: one message naming it per command, the
    // box keeps what the user sees, later commands still work.
    void writeFailure()
    {
        frmBrowser *b = frmBrowser::createNew();
        QVERIFY(QDir().mkpath(env.path("tobla.ini")));
        add(b, "kept in the box", "http://k/", "2", dialogs);
        const QString file = mirka::fileBesideExecutable("tobla.ini");
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(dialogs.messages().first().contains(file));
        QCOMPARE(b->ImageCombo1->count(), 1);

        chooseFromList(b->ImageCombo1, 0);
        b->Command2->click();
        QCOMPARE(dialogs.messages().size(), 2);
        QCOMPARE(b->ImageCombo1->count(), 0);
        QCOMPARE(b->ImageCombo1->currentText(), placeholder);

        QVERIFY(QDir(env.path("tobla.ini")).removeRecursively());
        add(b, "after", "http://a/", "2", dialogs);
        QCOMPARE(dialogs.messages().size(), 2);
        QCOMPARE(env.read("tobla.ini"), line(2, "after", "http://a/"));
    }

    // Lines that do not follow the format show with the first icon, do not
    // shift the others and are written back unchanged.
    void damagedLines()
    {
        const QByteArray seven = "7,\"seven\",\"http://7/\"";
        const QByteArray lone = "\x82\xa0 no fields \xff";
        const QByteArray extra = "2,\"extra\",\"http://e/\",\"more\"";
        env.write("tobla.ini", line(3, "ねこ", "http://cat/") + seven + "\r\n" + lone + "\n\r\n"
                                   + extra + "\r\n" + "5,\"bug\",\"http://bug/\"");
        frmBrowser *b = frmBrowser::createNew();
        QCOMPARE(b->ImageCombo1->count(), 5);
        const QStringList texts = {"ねこ", "seven", mirka::cp932::decode(lone).trimmed(), "extra",
                                   "bug"};
        const QList<int> icons = {3, 1, 1, 1, 5};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(b->ImageCombo1->itemText(i), texts[i]);
            QCOMPARE(b->ImageCombo1->itemIcon(i).cacheKey(), b->ImageList2[icons[i] - 1].cacheKey());
        }
        QCOMPARE(b->ImageCombo1->itemData(1, Qt::UserRole).toString(), QStringLiteral("http://7/"));

        chooseFromList(b->ImageCombo1, 0);
        b->Command2->click();
        QCOMPARE(env.read("tobla.ini"), seven + "\r\n" + lone + "\r\n" + extra + "\r\n"
                                            + line(5, "bug", "http://bug/"));
    }

    // At 32,767 favourites the prompt is still asked, and nothing is added.
    void limit()
    {
        QByteArray many;
        for (int i = 0; i < mirka::favourites::maxFavourites; ++i)
            many += "1,\"p\",\"http://p/\"\r\n";
        env.write("tobla.ini", many);
        frmBrowser *b = frmBrowser::createNew();
        QCOMPARE(b->ImageCombo1->count(), mirka::favourites::maxFavourites);
        add(b, "one too many", "http://x/", "1", dialogs);
        QCOMPARE(dialogs.asked.size(), 1);
        QVERIFY(dialogs.messages().isEmpty());
        QCOMPARE(b->ImageCombo1->count(), mirka::favourites::maxFavourites);
        QCOMPARE(env.read("tobla.ini"), many);
    }
};

QTEST_MAIN(TestFavourites)
#include "tst_favourites.moc"

#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "common/twips.h"
#include "note/frmDocument.h"
#include "note/notefiles.h"
#include "note/richtext/richtextbox.h"
#include "search/editorfind.h"
#include "search/findbar.h"
#include "search/pagefind.h"
#include "search/textfold.h"
#include "shell/frmMain.h"
#include "../support/scripteddialogs.h"
#include "../support/testenv.h"

#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBlock>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>
#include <memory>

using mirka::textfold::Range;

Q_DECLARE_METATYPE(QList<Range>)

namespace {

void keyToFocus(QWidget *window, int key, Qt::KeyboardModifiers mods = {})
{
    QVERIFY(QTest::qWaitFor([window] {
        return QApplication::focusWidget() && window->isAncestorOf(QApplication::focusWidget());
    }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), mods);
}

// Japanese arrives as an input method commits it, here a character at a time.
void typeJapanese(const QString &text)
{
    for (QChar c : text) {
        QInputMethodEvent commit;
        commit.setCommitString(c);
        QApplication::sendEvent(QApplication::focusWidget(), &commit);
    }
}

} // namespace

// Finding in the note and in a page, as the user does it.
class TestFind : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    std::unique_ptr<ScriptedDialogs> script;
    std::unique_ptr<frmMain> frame;

private slots:
    void initTestCase() { mirka::twips::setDpiForTesting(96); }

    void init()
    {
        env = std::make_unique<TestEnv>();
        script = std::make_unique<ScriptedDialogs>();
        frame = std::make_unique<frmMain>();
        frame->show();
        frame->activateWindow();
    }

    void cleanup()
    {
        frame.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        script.reset();
        env.reset();
    }

    void folding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<bool>("kana");
        QTest::addColumn<QList<Range>>("found");
        QTest::newRow("one kanji") << "研究所の研究" << "研" << false << false << QList<Range>{{0, 1}, {4, 5}};
        QTest::newRow("two kanji") << "研究所の研究" << "研究" << false << false << QList<Range>{{0, 2}, {4, 6}};
        QTest::newRow("three kanji") << "研究所の研究" << "研究所" << false << false << QList<Range>{{0, 3}};
        QTest::newRow("full-width letters") << "ＡＢＣ abc" << "abc" << false << false << QList<Range>{{0, 3}, {4, 7}};
        QTest::newRow("case matters") << "ABC abc Abc" << "Abc" << true << false << QList<Range>{{8, 11}};
        QTest::newRow("half-width kana with marks") << "ｶﾞｲﾄﾞを読む" << "ガイド" << false << false
                                                   << QList<Range>{{0, 5}};
        QTest::newRow("sound mark apart") << QStringLiteral("\u30AB\u3099イド") << "ｶﾞｲﾄﾞ" << false << false
                                          << QList<Range>{{0, 4}};
        QTest::newRow("kana kept apart") << "ひらがなとヒラガナ" << "ひらがな" << false << false
                                         << QList<Range>{{0, 4}};
        QTest::newRow("kana together") << "ひらがなとﾋﾗｶﾞﾅ" << "ヒラガナ" << false << true
                                       << QList<Range>{{0, 4}, {5, 10}};
        QTest::newRow("one sign, two letters") << "㍻元年" << "成元" << false << false << QList<Range>{{0, 2}};
        QTest::newRow("beyond the basic plane") << "𠮷野家の𠮷" << "𠮷" << false << false
                                                << QList<Range>{{0, 2}, {5, 7}};
        QTest::newRow("none") << "研究" << "究所" << false << false << QList<Range>{};
    }

    void folding()
    {
        QFETCH(QString, text);
        QFETCH(QString, query);
        QFETCH(bool, caseSensitive);
        QFETCH(bool, kana);
        QFETCH(QList<Range>, found);
        const mirka::textfold::Options o{caseSensitive, kana};
        const mirka::textfold::FoldedText folded(text, o);
        QCOMPARE(folded.findAll(mirka::textfold::fold(query, o)), found);
    }

    // Ctrl+F in the note: finding as the words are typed, the count, next
    // and previous, Escape; Ctrl+H: one and all replaced, formatting kept,
    // one undo.
    void inTheNote()
    {
        Module1::NewNote();
        frmDocument &d = *frmDocument::instance();
        d.rtfText->setHtml(QStringLiteral("<p>研究の話</p><p><b>研究</b>と<i>ｹﾝｷｭｳ</i></p><p>ケンキュウ、ＫＥＮ研究</p>"));
        d.rtfText->setFocus();
        keyToFocus(&d, Qt::Key_F, Qt::ControlModifier);
        FindBar *bar = d.Find->bar();
        QVERIFY(bar->isVisible());
        QVERIFY(bar->geometry().bottom() < d.sbStatusBar->y());
        QVERIFY(d.rtfText->geometry().bottom() < bar->y());
        typeJapanese(QStringLiteral("研究"));
        QCOMPARE(bar->countLabel->text(), QStringLiteral("1 / 3 件"));
        QCOMPARE(d.rtfText->textCursor().selectedText(), QStringLiteral("研究"));
        keyToFocus(&d, Qt::Key_Return);
        keyToFocus(&d, Qt::Key_F3);
        QCOMPARE(bar->countLabel->text(), QStringLiteral("3 / 3 件"));
        keyToFocus(&d, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(bar->countLabel->text(), QStringLiteral("2 / 3 件"));
        QVERIFY(d.rtfText->textCursor().charFormat().fontWeight() == QFont::Bold);
        keyToFocus(&d, Qt::Key_Escape);
        QVERIFY(bar->isHidden());
        QCOMPARE(QApplication::focusWidget(), d.rtfText);
        QCOMPARE(d.rtfText->textCursor().selectedText(), QStringLiteral("研究"));

        // Half-width and full-width forms are one; kana only when asked.
        keyToFocus(&d, Qt::Key_H, Qt::ControlModifier);
        QVERIFY(bar->replaceText->isVisible());
        QCOMPARE(bar->findText->text(), QStringLiteral("研究")); // the selection
        bar->findText->setText(QStringLiteral("けんきゅう"));
        QCOMPARE(bar->countLabel->text(), QStringLiteral("見つかりません"));
        bar->matchKana->setChecked(true);
        QCOMPARE(bar->countLabel->text(), QStringLiteral("1 / 2 件"));
        bar->replaceText->setText(QStringLiteral("調査"));
        bar->replaceButton->click(); // the selected match, then on to the next
        QCOMPARE(bar->countLabel->text(), QStringLiteral("1 / 1 件"));
        bar->findText->setText(QStringLiteral("研究"));
        bar->replaceAllButton->click();
        QCOMPARE(d.rtfText->toPlainText(), QStringLiteral("調査の話\n調査と調査\nケンキュウ、ＫＥＮ調査"));
        QTextCursor c(d.rtfText->document()->findBlockByNumber(1));
        c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 1);
        QVERIFY(c.charFormat().fontWeight() == QFont::Bold);
        c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 3);
        QVERIFY(c.charFormat().fontItalic());
        d.rtfText->undo();
        QCOMPARE(d.rtfText->toPlainText(), QStringLiteral("研究の話\n研究と調査\nケンキュウ、ＫＥＮ研究"));
        bar->matchKana->setFocus(); // Escape closes from anywhere in the bar
        keyToFocus(&d, Qt::Key_Escape);
        QVERIFY(bar->isHidden());
        d.setModified(false);
    }

    // Ctrl+F in a browser window: the engine's count, F3, Escape leaving
    // the match selected.
    void inAPage()
    {
        env->write(QStringLiteral("page.html"),
                   QStringLiteral("<html><body><p>研究について</p><p>もう一つの研究</p></body></html>").toUtf8());
        frmBrowser *b = frmBrowser::createNew();
        QSignalSpy loaded(b->brwWebBrowser->view(), &QWebEngineView::loadFinished);
        b->brwWebBrowser->Navigate(QUrl::fromLocalFile(env->path(QStringLiteral("page.html"))).toString());
        QVERIFY(loaded.wait(20000));
        b->brwWebBrowser->view()->setFocus();
        keyToFocus(b, Qt::Key_F, Qt::ControlModifier);
        FindBar *bar = PageFind::of(b)->bar();
        QVERIFY(bar->isVisible());
        typeJapanese(QStringLiteral("研究"));
        QTRY_COMPARE(bar->countLabel->text(), QStringLiteral("1 / 2 件"));
        keyToFocus(b, Qt::Key_F3);
        QTRY_COMPARE(bar->countLabel->text(), QStringLiteral("2 / 2 件"));
        keyToFocus(b, Qt::Key_Escape);
        QVERIFY(bar->isHidden());
        QTRY_COMPARE(b->brwWebBrowser->view()->page()->selectedText(), QStringLiteral("研究"));
    }
};

QTEST_MAIN(TestFind)
#include "tst_find.moc"

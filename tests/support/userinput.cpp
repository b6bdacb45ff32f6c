#include "userinput.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QListWidget>
#include <QMenu>
#include <QTimer>
#include <QtTest>

void chooseFromMenuWhenShown(const QString &text, int tries)
{
    QTimer::singleShot(20, [text, tries] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu && tries > 0)
            return chooseFromMenuWhenShown(text, tries - 1);
        QVERIFY(menu);
        for (QAction *a : menu->actions())
            if (a->text().section(u'\t', 0, 0) == text)
                return QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
        menu->close(); // no such item: fail rather than hang in the menu
        QFAIL("no such menu item");
    });
}

void chooseFromContextMenu(QWidget *w, const QPoint &pos, const QString &text)
{
    chooseFromMenuWhenShown(text);
    QContextMenuEvent ev(QContextMenuEvent::Mouse, pos, w->mapToGlobal(pos));
    QApplication::sendEvent(w, &ev);
}

void doubleClickRow(QListWidget *list, int row)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void commitText(const QString &text)
{
    for (QChar c : text) {
        QInputMethodEvent commit;
        commit.setCommitString(c);
        QApplication::sendEvent(QApplication::focusWidget(), &commit);
    }
}

#include "contextmenu.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
#include <QtTest>

void chooseFromContextMenu(QWidget *w, const QPoint &pos, const QString &text)
{
    QTimer::singleShot(50, [text] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        for (QAction *a : menu->actions())
            if (a->text() == text)
                return QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
        menu->close(); // no such item: fail rather than hang in the menu
        QFAIL("no such menu item");
    });
    QContextMenuEvent ev(QContextMenuEvent::Mouse, pos, w->mapToGlobal(pos));
    QApplication::sendEvent(w, &ev);
}

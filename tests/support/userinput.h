#pragma once
#include <QPoint>
#include <QString>

class QListWidget;
class QWidget;

// Clicks the item with that text (a shortcut after a tab aside) in the next
// popup menu, once it shows.
void chooseFromMenuWhenShown(const QString &text, int tries = 250);
// Opens the widget's context menu at pos, as a right click does, and clicks
// the item with that text.
void chooseFromContextMenu(QWidget *w, const QPoint &pos, const QString &text);

// A click on the row, then a double click, as a real mouse gives them.
void doubleClickRow(QListWidget *list, int row);

// Text as an input method commits it, a character at a time, into the
// focused widget.
void commitText(const QString &text);

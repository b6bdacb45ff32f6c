#pragma once
#include <QPoint>
#include <QString>

class QWidget;

// Opens the widget's context menu at pos, as a right click does, and clicks
// the item with that text.
void chooseFromContextMenu(QWidget *w, const QPoint &pos, const QString &text);

#pragma once
#include <QColor>
#include <QDialog>

class QAbstractButton;
class QButtonGroup;

namespace mirka {

// The colour dialog: the 48 basic colours, the preset one selected, and no
// custom-colour panel. A preset outside the palette shows as the current
// colour and stays the choice until a basic colour is clicked.
class ColorDialog : public QDialog {
    Q_OBJECT
public:
    explicit ColorDialog(const QColor &preset, QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    // The basic palette, in reading order (8 columns, 6 rows).
    static QList<QColor> basicColors();
    // The swatch of a basic colour, for choosing it.
    QAbstractButton *swatch(int index) const;

private:
    void choose(const QColor &c);

    QColor m_color;
    QButtonGroup *m_group;
    QWidget *m_current;
};

} // namespace mirka

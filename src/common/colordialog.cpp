#include "common/colordialog.h"

#include "common/dialogs.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace mirka {

namespace {

constexpr int kColumns = 8;
constexpr int kRows = 6;

// A swatch: the colour inside a frame the style draws sunken when chosen,
// which shows on every colour, black and white included.
QIcon swatchIcon(const QColor &c)
{
    QPixmap p(18, 14);
    p.fill(c);
    QPainter painter(&p);
    painter.setPen(Qt::gray);
    painter.drawRect(0, 0, p.width() - 1, p.height() - 1);
    return QIcon(p);
}

} // namespace

QList<QColor> ColorDialog::basicColors()
{
    // Qt numbers its standard colours down the columns.
    QList<QColor> out;
    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < kColumns; ++col)
            out << QColorDialog::standardColor(row + col * kRows);
    return out;
}

ColorDialog::ColorDialog(const QColor &preset, QWidget *parent)
    : QDialog(parent), m_color(preset), m_group(new QButtonGroup(this))
{
    setWindowTitle(QStringLiteral("色の設定"));
    setObjectName(QStringLiteral("ColorDialog"));

    auto *grid = new QGridLayout;
    grid->setSpacing(4);
    const QList<QColor> colors = basicColors();
    for (int i = 0; i < colors.size(); ++i) {
        auto *b = new QToolButton(this);
        b->setCheckable(true);
        b->setIcon(swatchIcon(colors[i]));
        b->setIconSize(QSize(18, 14));
        b->setAutoRaise(true);
        b->setToolTip(colors[i].name());
        m_group->addButton(b, i);
        grid->addWidget(b, i / kColumns, i % kColumns);
        if (colors[i].rgb() == preset.rgb() && !m_group->checkedButton())
            b->setChecked(true);
    }
    connect(m_group, &QButtonGroup::idClicked, this,
            [this, colors](int id) { choose(colors.value(id)); });

    auto *label = new QLabel(QStringLiteral("基本色(&B):"), this);
    label->setBuddy(m_group->button(0));
    m_current = new QWidget(this);
    m_current->setFixedSize(60, 30);
    auto *currentRow = new QHBoxLayout;
    currentRow->addWidget(new QLabel(QStringLiteral("色:"), this));
    currentRow->addWidget(m_current);
    currentRow->addStretch();

    QDialogButtonBox *buttons = okCancelButtons(this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(grid);
    layout->addLayout(currentRow);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    choose(preset);
    if (QAbstractButton *b = m_group->checkedButton())
        b->setFocus();
}

QAbstractButton *ColorDialog::swatch(int index) const { return m_group->button(index); }

void ColorDialog::choose(const QColor &c)
{
    m_color = c;
    m_current->setStyleSheet(QStringLiteral("background:%1;border:1px solid gray;").arg(c.name()));
}

} // namespace mirka

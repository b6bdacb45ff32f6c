#include "common/fontdialog.h"

#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QVBoxLayout>
#include <cmath>

namespace mirka {

namespace {

constexpr double kMinSize = 1;
constexpr double kMaxSize = 1638;

// A list under an edit box, as in the common font dialog: picking an entry
// fills the box; typing selects the entry the text names.
QListWidget *listFor(QLineEdit *edit, const QStringList &entries, QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->addItems(entries);
    QObject::connect(list, &QListWidget::currentTextChanged, edit, [edit](const QString &t) {
        if (!t.isEmpty() && edit->text() != t)
            edit->setText(t);
    });
    return list;
}

void selectEntry(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> found = list->findItems(text, Qt::MatchFixedString);
    const QSignalBlocker block(list);
    if (found.isEmpty()) {
        list->setCurrentRow(-1);
        list->clearSelection();
        return;
    }
    list->setCurrentItem(found.first());
    list->scrollToItem(found.first());
}

std::optional<double> parseSize(const QString &text)
{
    bool ok = false;
    QString t = text.trimmed();
    t.replace(u'．', u'.');
    double v = QLocale::c().toDouble(t, &ok);
    if (!ok)
        v = QLocale().toDouble(t, &ok);
    if (!ok || !std::isfinite(v) || v < kMinSize || v > kMaxSize)
        return std::nullopt;
    return std::round(v * 100) / 100;
}

} // namespace

QStringList FontDialog::styleNames()
{
    return {QStringLiteral("標準"), QStringLiteral("斜体"), QStringLiteral("太字"),
            QStringLiteral("太字 斜体")};
}

QString FontDialog::sizeText(double points) { return QLocale::c().toString(points, 'g', 6); }

FontDialog::FontDialog(const FontChoice &preset, QWidget *parent) : QDialog(parent), m_preset(preset)
{
    setWindowTitle(QStringLiteral("フォント"));
    setObjectName(QStringLiteral("FontDialog"));

    QStringList faces = QFontDatabase::families();
    if (!preset.name.isEmpty() && !faces.contains(preset.name))
        faces.prepend(preset.name); // shown as it is, even when not installed here
    QStringList sizes;
    for (double s : {8.0, 9.0, 10.0, 10.5, 11.0, 12.0, 14.0, 16.0, 18.0, 20.0, 22.0, 24.0, 26.0,
                     28.0, 36.0, 48.0, 72.0})
        sizes << sizeText(s);

    m_face = new QLineEdit(this);
    m_face->setObjectName(QStringLiteral("face"));
    m_faces = listFor(m_face, faces, this);
    m_style = new QLineEdit(this);
    m_style->setObjectName(QStringLiteral("style"));
    m_style->setReadOnly(true);
    m_styles = listFor(m_style, styleNames(), this);
    m_size = new QLineEdit(this);
    m_size->setObjectName(QStringLiteral("size"));
    auto *validator = new QDoubleValidator(0, kMaxSize, 2, m_size);
    validator->setLocale(QLocale::c());
    validator->setNotation(QDoubleValidator::StandardNotation);
    m_size->setValidator(validator);
    m_sizes = listFor(m_size, sizes, this);

    auto *grid = new QGridLayout;
    const auto column = [&](int col, const QString &label, QLineEdit *edit, QListWidget *list, int stretch) {
        auto *l = new QLabel(label, this);
        l->setBuddy(edit);
        grid->addWidget(l, 0, col);
        grid->addWidget(edit, 1, col);
        grid->addWidget(list, 2, col);
        grid->setColumnStretch(col, stretch);
    };
    column(0, QStringLiteral("フォント名(&F):"), m_face, m_faces, 3);
    column(1, QStringLiteral("スタイル(&Y):"), m_style, m_styles, 2);
    column(2, QStringLiteral("サイズ(&S):"), m_size, m_sizes, 1);

    auto *sampleBox = new QGroupBox(QStringLiteral("サンプル"), this);
    m_sample = new QLabel(QStringLiteral("Aa あぁアァ亜宇"), sampleBox);
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumHeight(60);
    auto *sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addWidget(m_sample);

    QDialogButtonBox *buttons = okCancelButtons(this);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(sampleBox);
    layout->addWidget(buttons);

    m_face->setText(preset.name);
    m_style->setText(styleNames().at((preset.bold ? 2 : 0) + (preset.italic ? 1 : 0)));
    m_size->setText(preset.size > 0 ? sizeText(preset.size) : QString());
    selectEntry(m_faces, m_face->text());
    selectEntry(m_styles, m_style->text());
    selectEntry(m_sizes, m_size->text());
    connect(m_face, &QLineEdit::textChanged, this, &FontDialog::faceEdited);
    connect(m_style, &QLineEdit::textChanged, this, &FontDialog::showSample);
    connect(m_size, &QLineEdit::textChanged, this, [this](const QString &t) {
        selectEntry(m_sizes, t);
        showSample();
    });
    showSample();
    m_face->setFocus();
    m_face->selectAll();
    resize(480, 380);
}

void FontDialog::faceEdited(const QString &text)
{
    selectEntry(m_faces, text);
    showSample();
}

std::optional<FontChoice> FontDialog::choice() const
{
    FontChoice c;
    c.name = m_face->text().trimmed();
    if (c.name.isEmpty())
        return std::nullopt;
    if (c.name == m_preset.name.trimmed())
        c.name = m_preset.name;
    const int style = qMax(0, int(styleNames().indexOf(m_style->text())));
    c.italic = style & 1;
    c.bold = style & 2;
    // An untouched size box gives the preset size back exactly.
    if (m_preset.size > 0 && m_size->text() == sizeText(m_preset.size)) {
        c.size = m_preset.size;
    } else {
        const std::optional<double> size = parseSize(m_size->text());
        if (!size)
            return std::nullopt;
        c.size = *size;
    }
    return c;
}

void FontDialog::showSample()
{
    const std::optional<FontChoice> c = choice();
    if (!c)
        return;
    QFont f(c->name);
    f.setPointSizeF(qMin(c->size, 48.0));
    f.setBold(c->bold);
    f.setItalic(c->italic);
    m_sample->setFont(f);
}

void FontDialog::accept()
{
    if (!choice()) {
        // Nothing to apply yet: point at the box that needs a value.
        QLineEdit *box = m_face->text().trimmed().isEmpty() ? m_face : m_size;
        box->setFocus();
        box->selectAll();
        return;
    }
    QDialog::accept();
}

} // namespace mirka

#include "search/findbar.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton *toolButton(QWidget *parent, const char *name, const QString &text, const QString &tip)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

FindBar::FindBar(Features features, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FindBar"));
    setAutoFillBackground(true);
    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);

    auto *findRow = new QHBoxLayout;
    closeButton = toolButton(this, "closeButton", QStringLiteral("×"), QStringLiteral("閉じる (Esc)"));
    findRow->addWidget(closeButton);
    findRow->addWidget(new QLabel(QStringLiteral("検索:"), this));
    findText = new QLineEdit(this);
    findText->setObjectName(QStringLiteral("findText"));
    findText->setClearButtonEnabled(true);
    findText->setMinimumWidth(160);
    findRow->addWidget(findText, 1);
    previousButton = toolButton(this, "previousButton", QStringLiteral("▲"), QStringLiteral("前を検索 (Shift+F3)"));
    nextButton = toolButton(this, "nextButton", QStringLiteral("▼"), QStringLiteral("次を検索 (F3)"));
    findRow->addWidget(previousButton);
    findRow->addWidget(nextButton);
    countLabel = new QLabel(this);
    countLabel->setObjectName(QStringLiteral("countLabel"));
    countLabel->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("9999 / 9999 件")));
    findRow->addWidget(countLabel);
    rows->addLayout(findRow);

    // The options on a row of their own: the bar fits a narrow window.
    auto *optionRow = new QHBoxLayout;
    optionRow->addSpacing(closeButton->sizeHint().width());
    matchCase = new QCheckBox(QStringLiteral("大文字と小文字を区別する"), this);
    matchCase->setObjectName(QStringLiteral("matchCase"));
    optionRow->addWidget(matchCase);
    if (features & KanaOption) {
        matchKana = new QCheckBox(QStringLiteral("ひらがなとカタカナを区別しない"), this);
        matchKana->setObjectName(QStringLiteral("matchKana"));
        optionRow->addWidget(matchKana);
    }
    optionRow->addStretch();
    rows->addLayout(optionRow);

    if (features & Replace) {
        m_replaceRow = new QWidget(this);
        auto *replaceRow = new QHBoxLayout(m_replaceRow);
        replaceRow->setContentsMargins(0, 0, 0, 0);
        replaceRow->addSpacing(closeButton->sizeHint().width());
        replaceRow->addWidget(new QLabel(QStringLiteral("置換:"), m_replaceRow));
        replaceText = new QLineEdit(m_replaceRow);
        replaceText->setObjectName(QStringLiteral("replaceText"));
        replaceRow->addWidget(replaceText, 1);
        replaceButton = new QPushButton(QStringLiteral("置換(&R)"), m_replaceRow);
        replaceButton->setObjectName(QStringLiteral("replaceButton"));
        replaceAllButton = new QPushButton(QStringLiteral("すべて置換(&A)"), m_replaceRow);
        replaceAllButton->setObjectName(QStringLiteral("replaceAllButton"));
        replaceRow->addWidget(replaceButton);
        replaceRow->addWidget(replaceAllButton);
        rows->addWidget(m_replaceRow);
        replaceText->installEventFilter(this);
        connect(replaceButton, &QPushButton::clicked, this, &FindBar::replaceOne);
        connect(replaceAllButton, &QPushButton::clicked, this, &FindBar::replaceAll);
    }
    // Escape and Enter wherever the focus is in the bar.
    findText->installEventFilter(this);
    matchCase->installEventFilter(this);
    if (matchKana)
        matchKana->installEventFilter(this);
    connect(findText, &QLineEdit::textChanged, this, &FindBar::queryChanged);
    connect(matchCase, &QCheckBox::toggled, this, &FindBar::queryChanged);
    if (matchKana)
        connect(matchKana, &QCheckBox::toggled, this, &FindBar::queryChanged);
    connect(previousButton, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(nextButton, &QToolButton::clicked, this, &FindBar::findNext);
    connect(closeButton, &QToolButton::clicked, this, &FindBar::closeBar);
    hide();
}

void FindBar::open(bool withReplace)
{
    if (m_replaceRow)
        m_replaceRow->setVisible(withReplace);
    show();
    raise();
    findText->setFocus(Qt::ShortcutFocusReason);
    findText->selectAll();
}

void FindBar::closeBar()
{
    if (isHidden())
        return;
    hide();
    emit closed();
}

bool FindBar::replacing() const { return m_replaceRow && !isHidden() && m_replaceRow->isVisible(); }

QString FindBar::query() const { return findText->text(); }
void FindBar::setQuery(const QString &text) { findText->setText(text); }
QString FindBar::replacement() const { return replaceText ? replaceText->text() : QString(); }

mirka::textfold::Options FindBar::options() const
{
    mirka::textfold::Options o;
    o.caseSensitive = matchCase->isChecked();
    o.kanaInsensitive = matchKana && matchKana->isChecked();
    return o;
}

void FindBar::showCount(int current, int total)
{
    QPalette p = findText->palette();
    p.setColor(QPalette::Base, total == 0 && !query().isEmpty() ? QColor(255, 221, 221)
                                                                : palette().color(QPalette::Base));
    findText->setPalette(p);
    if (query().isEmpty())
        countLabel->clear();
    else if (total == 0)
        countLabel->setText(QStringLiteral("見つかりません"));
    else if (current <= 0)
        countLabel->setText(QStringLiteral("%1 件").arg(total));
    else
        countLabel->setText(QStringLiteral("%1 / %2 件").arg(current).arg(total));
}

void FindBar::showMessage(const QString &text) { countLabel->setText(text); }

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        && qobject_cast<QLineEdit *>(watched);
    if (key->key() != Qt::Key_Escape && !enter)
        return QWidget::eventFilter(watched, event);
    // The window's own Escape and Enter shortcuts (a browser's Stop) wait
    // while the bar has the keys.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (key->key() == Qt::Key_Escape)
        closeBar();
    else if (watched == replaceText)
        emit replaceOne();
    else if (key->modifiers() & Qt::ShiftModifier)
        emit findPrevious();
    else
        emit findNext();
    return true;
}

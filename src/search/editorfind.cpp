#include "search/editorfind.h"

#include "common/twips.h"
#include "search/findbar.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

using mirka::textfold::Range;

namespace {

bool sameOptions(const mirka::textfold::Options &a, const mirka::textfold::Options &b)
{
    return a.caseSensitive == b.caseSensitive && a.kanaInsensitive == b.kanaInsensitive;
}

} // namespace

EditorFind::EditorFind(QWidget *window, QTextEdit *editor, QAction *find, QAction *replace,
                       std::function<void()> relayout)
    : QObject(window), m_window(window), m_editor(editor),
      m_bar(new FindBar(FindBar::KanaOption | FindBar::Replace, window)), m_relayout(std::move(relayout))
{
    connect(find, &QAction::triggered, this, [this] { open(false); });
    connect(replace, &QAction::triggered, this, [this] { open(true); });
    connect(m_bar, &FindBar::queryChanged, this, &EditorFind::queryChanged);
    connect(m_bar, &FindBar::findNext, this, &EditorFind::findNext);
    connect(m_bar, &FindBar::findPrevious, this, &EditorFind::findPrevious);
    connect(m_bar, &FindBar::replaceOne, this, &EditorFind::replaceOne);
    connect(m_bar, &FindBar::replaceAll, this, &EditorFind::replaceAll);
    connect(m_bar, &FindBar::closed, this, &EditorFind::closed);
    auto key = [this](QKeySequence keys, void (EditorFind::*slot)()) {
        auto *s = new QShortcut(keys, m_window);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    key(QKeySequence(Qt::Key_F3), &EditorFind::findNext);
    key(QKeySequence(Qt::SHIFT | Qt::Key_F3), &EditorFind::findPrevious);
}

int EditorFind::layoutHeight(int clientHeight, int statusHeight)
{
    if (m_bar->isHidden())
        return clientHeight;
    const int h = m_bar->sizeHint().height();
    const int top = clientHeight - statusHeight - h;
    m_bar->setGeometry(0, top, m_window->width(), h);
    // The layout leaves 200 twips under the editor.
    return top + mirka::twips::toPixelsY(200);
}

void EditorFind::open(bool withReplace)
{
    const QTextCursor c = m_editor->textCursor();
    const QString selected = c.selectedText();
    if (!selected.isEmpty() && selected.size() <= 200 && !selected.contains(QChar::ParagraphSeparator)
        && !selected.contains(QChar::LineSeparator)) {
        const QSignalBlocker quiet(m_bar);
        m_bar->setQuery(selected);
    }
    m_anchor = c.selectionStart();
    const bool wasHidden = m_bar->isHidden();
    m_bar->open(withReplace);
    if (m_relayout)
        m_relayout();
    if (wasHidden)
        showCount();
}

bool EditorFind::showFirst(const QString &query, mirka::textfold::Options options)
{
    m_bar->matchCase->setChecked(options.caseSensitive);
    m_bar->matchKana->setChecked(options.kanaInsensitive);
    m_editor->moveCursor(QTextCursor::Start);
    open(false);
    m_anchor = 0;
    {
        const QSignalBlocker quiet(m_bar);
        m_bar->setQuery(query);
    }
    queryChanged(); // finds as typing would
    m_editor->setFocus();
    return m_editor->textCursor().hasSelection();
}

void EditorFind::bind()
{
    QTextDocument *doc = m_editor->document();
    if (doc == m_doc)
        return;
    if (m_doc)
        disconnect(m_doc, nullptr, this, nullptr);
    m_doc = doc;
    m_dirty = true;
    // The count follows edits while the bar is open, once typing pauses.
    connect(doc, &QTextDocument::contentsChanged, this, [this] {
        m_dirty = true;
        if (!m_bar->isHidden())
            QTimer::singleShot(300, this, [this] {
                if (m_dirty && !m_bar->isHidden())
                    showCount();
            });
    });
}

QList<Range> EditorFind::matches()
{
    bind();
    const mirka::textfold::Options options = m_bar->options();
    if (m_dirty || !sameOptions(options, m_foldedWith)) {
        // Raw text: one character per document position, blocks and frames
        // included.
        m_folded = mirka::textfold::FoldedText(m_doc->toRawText(), options);
        m_foldedWith = options;
        m_dirty = false;
    }
    return m_folded.findAll(mirka::textfold::fold(m_bar->query(), options));
}

void EditorFind::select(const Range &range)
{
    QTextCursor c(m_editor->document());
    c.setPosition(range.start);
    c.setPosition(range.end, QTextCursor::KeepAnchor);
    m_editor->setTextCursor(c);
    m_editor->ensureCursorVisible();
}

void EditorFind::showCount()
{
    const QList<Range> found = matches();
    const QTextCursor c = m_editor->textCursor();
    const Range selected{c.selectionStart(), c.selectionEnd()};
    m_bar->showCount(int(found.indexOf(selected)) + 1, int(found.size()));
}

void EditorFind::queryChanged()
{
    const QList<Range> found = matches();
    if (!found.isEmpty()) {
        auto it = std::find_if(found.begin(), found.end(), [this](const Range &r) { return r.start >= m_anchor; });
        select(it != found.end() ? *it : found.first());
    } else {
        // Nothing found: the caret goes back to where finding started.
        QTextCursor c(m_editor->document());
        c.setPosition(qMin(m_anchor, m_editor->document()->characterCount() - 1));
        m_editor->setTextCursor(c);
    }
    showCount();
}

void EditorFind::findNext() { step(false); }
void EditorFind::findPrevious() { step(true); }

void EditorFind::step(bool backward)
{
    if (m_bar->isHidden() || m_bar->query().isEmpty())
        return open(false);
    const QList<Range> found = matches();
    if (!found.isEmpty()) {
        const QTextCursor c = m_editor->textCursor();
        if (backward) {
            const int before = c.selectionStart();
            auto it = std::find_if(found.rbegin(), found.rend(), [before](const Range &r) { return r.start < before; });
            select(it != found.rend() ? *it : found.last());
        } else {
            const int from = c.hasSelection() ? c.selectionStart() + 1 : c.position();
            auto it = std::find_if(found.begin(), found.end(), [from](const Range &r) { return r.start >= from; });
            select(it != found.end() ? *it : found.first());
        }
        m_anchor = m_editor->textCursor().selectionStart();
    }
    showCount();
}

namespace {

// The formatting of the character at pos: a replacement takes the
// formatting of the first character it replaces.
QTextCharFormat formatAt(QTextDocument *doc, int pos)
{
    QTextCursor c(doc);
    c.setPosition(pos + 1);
    return c.charFormat();
}

void replaceRange(QTextDocument *doc, const Range &r, const QString &with)
{
    const QTextCharFormat format = formatAt(doc, r.start);
    QTextCursor c(doc);
    c.setPosition(r.start);
    c.setPosition(r.end, QTextCursor::KeepAnchor);
    c.insertText(with, format);
}

} // namespace

void EditorFind::replaceOne()
{
    const QList<Range> found = matches();
    const QTextCursor c = m_editor->textCursor();
    const Range selected{c.selectionStart(), c.selectionEnd()};
    if (!found.contains(selected))
        return findNext();
    replaceRange(m_editor->document(), selected, m_bar->replacement());
    QTextCursor after(m_editor->document());
    after.setPosition(selected.start + int(m_bar->replacement().size()));
    m_editor->setTextCursor(after);
    findNext();
}

int EditorFind::replaceAll()
{
    const QList<Range> found = matches();
    if (found.isEmpty()) {
        showCount();
        return 0;
    }
    QTextDocument *doc = m_editor->document();
    QTextCursor block(doc);
    block.beginEditBlock();
    // From the last, so the ranges still to come stay where they were.
    for (auto it = found.rbegin(); it != found.rend(); ++it)
        replaceRange(doc, *it, m_bar->replacement());
    block.endEditBlock();
    m_bar->showMessage(QStringLiteral("%1 件置換しました").arg(found.size()));
    return int(found.size());
}

void EditorFind::closed()
{
    if (m_relayout)
        m_relayout();
    m_editor->setFocus(Qt::OtherFocusReason);
}

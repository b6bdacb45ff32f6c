#include "note/richtext/longdocument.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace mirka::rtf {
namespace {

bool isLong(const QTextDocument *doc) { return doc->blockCount() >= kLongDocumentBlocks; }
void setScrollRange(QTextEdit *editor);

// glibc keeps small freed blocks aside and sorts all of them out at the
// next larger allocation, in one go: after a document of a million
// paragraphs that takes a quarter of a second. Done after each slice of
// freeing, it takes only that slice's share.
void settleFreedMemory()
{
    void *volatile block = std::malloc(4096);
    std::free(block);
}

// Sits on the document's layout: how far it has been laid out at which
// width, and the slices its own timers drive.
class SlicedLayout : public QObject {
public:
    SlicedLayout(QTextDocument *doc, QAbstractTextDocumentLayout *layout) : QObject(layout), m_doc(doc), m_layout(layout)
    {
        // Qt asks for all of it to be drawn again when it lays everything
        // out again (a new width, font or document).
        connect(layout, &QAbstractTextDocumentLayout::update, this, [this](const QRectF &r) {
            if (r.height() >= 1e8) {
                m_laidOut = false;
                m_next = 0;
                if (isLong(m_doc))
                    m_timer.start();
            }
        });
        // Slices go on between events until it is all laid out, whoever
        // else lays out parts of it meanwhile.
        m_timer.setSingleShot(true);
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (!finished())
                slice(20, nullptr);
        });
    }

    static SlicedLayout *of(QTextDocument *doc)
    {
        QAbstractTextDocumentLayout *layout = doc->documentLayout();
        for (QObject *child : layout->children()) {
            if (auto *sliced = dynamic_cast<SlicedLayout *>(child))
                return sliced;
        }
        auto *sliced = new SlicedLayout(doc, layout);
        layout->installEventFilter(sliced);
        return sliced;
    }

    void showIn(QTextEdit *editor)
    {
        m_editors.removeAll(nullptr);
        if (!m_editors.contains(editor))
            m_editors.append(editor);
    }

    bool finished() const { return m_laidOut && m_width == m_doc->pageSize().width(); }
    // The last paragraph known to be laid out at the present width.
    int laidOutTo() const
    {
        return finished() ? m_doc->blockCount() - 1 : m_width == m_doc->pageSize().width() ? m_next : 0;
    }

    bool slice(qint64 budgetMs, int *done)
    {
        if (m_doc->pageSize().isNull()) {
            // Nothing is laid out without a page (a document being freed).
            m_laidOut = true;
            m_width = 0;
            return true;
        }
        if (m_width != m_doc->pageSize().width()) {
            // A new width lays everything out again.
            m_width = m_doc->pageSize().width();
            m_next = 0;
            m_laidOut = false;
        }
        // By number: the paragraph a block handle stood for may be gone.
        QTextBlock next = m_doc->findBlockByNumber(m_next);
        if (!next.isValid())
            next = m_doc->lastBlock();
        const bool wasLaidOut = m_laidOut;
        QElapsedTimer clock;
        clock.start();
        while (!m_laidOut && clock.elapsed() < budgetMs) {
            // Asking for a paragraph's place lays the document out up to it.
            for (int i = 0; i < 64 && next.next().isValid(); ++i)
                next = next.next();
            m_layout->blockBoundingRect(next);
            m_laidOut = !next.next().isValid();
        }
        m_next = next.blockNumber();
        if (done)
            *done = m_laidOut ? m_doc->blockCount() : m_next;
        if (!m_laidOut)
            m_timer.start();
        if (m_laidOut && !wasLaidOut) {
            for (QTextEdit *editor : std::as_const(m_editors)) {
                if (editor && editor->document() == m_doc) {
                    // The range the caret was scrolled to may have been short.
                    setScrollRange(editor);
                    editor->ensureCursorVisible();
                }
            }
        }
        return m_laidOut;
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        // Qt's own steps would run in place of ours: while the document is
        // not laid out, its layout's timers only drive slices.
        if (event->type() != QEvent::Timer)
            return false;
        // Without a page (a document being freed), nothing is to be laid out.
        if (m_doc->pageSize().isNull())
            return true;
        if (!isLong(m_doc) || finished())
            return false;
        slice(20, nullptr);
        return !m_laidOut;
    }

private:
    QTextDocument *m_doc;
    QAbstractTextDocumentLayout *m_layout;
    int m_next = 0; // the paragraph laid out up to
    qreal m_width = -1;
    bool m_laidOut = false;
    QTimer m_timer;
    QList<QPointer<QTextEdit>> m_editors; // whose scroll range follows
};

void setScrollRange(QTextEdit *editor)
{
    QTextDocument *doc = editor->document();
    // Until it is laid out, the size would lay it all out at once.
    if (!isLong(doc) || !SlicedLayout::of(doc)->finished())
        return;
    const double height = std::ceil(doc->documentLayout()->documentSize().height());
    const int max = qMax(0, int(qMin<double>(INT_MAX, height)) - editor->viewport()->height());
    QScrollBar *bar = editor->verticalScrollBar();
    if (bar->minimum() != 0 || bar->maximum() != max)
        bar->setRange(0, max);
}

} // namespace

bool layOutSlice(QTextDocument *doc, qint64 budgetMs, int *done, int *total)
{
    if (total)
        *total = doc->blockCount();
    if (!isLong(doc)) {
        if (done)
            *done = doc->blockCount();
        return true;
    }
    return SlicedLayout::of(doc)->slice(budgetMs, done);
}

QTextBlock blockAtHeight(QTextDocument *doc, qreal y)
{
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    if (!isLong(doc))
        return doc->findBlock(qMax(0, layout->hitTest(QPointF(0, y), Qt::FuzzyHit)));
    int low = 0, high = SlicedLayout::of(doc)->laidOutTo();
    while (low < high) {
        const int mid = low + (high - low + 1) / 2;
        if (layout->blockBoundingRect(doc->findBlockByNumber(mid)).top() <= y)
            low = mid;
        else
            high = mid - 1;
    }
    // The cells of a table row start level: the one found may not be the first.
    return doc->findBlockByNumber(qMax(0, low - 32));
}

void deleteInSlices(QTextDocument *doc)
{
    if (!doc)
        return;
    if (!isLong(doc)) {
        delete doc;
        return;
    }
    doc->setUndoRedoEnabled(false);
    auto *timer = new QTimer(doc);
    QObject::connect(timer, &QTimer::timeout, doc, [doc, timer] {
        if (!doc->pageSize().isNull()) {
            // Without a page the layout does nothing as paragraphs go
            // (going through them all once).
            doc->setPageSize(QSizeF(0, 0));
            return;
        }
        QElapsedTimer clock;
        clock.start();
        QTextCursor c(doc);
        while (doc->blockCount() > 1 && clock.elapsed() < 12) {
            c.movePosition(QTextCursor::Start);
            c.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, 1000);
            c.removeSelectedText();
        }
        settleFreedMemory();
        if (doc->blockCount() <= 1) {
            timer->stop();
            doc->deleteLater();
        }
    });
    timer->start(0);
}

void supportLongDocuments(QTextEdit *editor)
{
    QTextDocument *doc = editor->document();
    SlicedLayout::of(doc)->showIn(editor);
    if (!editor->property("mirkaLongDocument").toBool()) {
        editor->setProperty("mirkaLongDocument", true);
        // Whenever the editor sets its range, the right one replaces it.
        QObject::connect(editor->verticalScrollBar(), &QAbstractSlider::rangeChanged, editor,
                         [editor] { setScrollRange(editor); });
    }
    // A scroll bar that comes and goes changes the width, and with it the
    // whole layout: it stays, for every document.
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setScrollRange(editor);
}

} // namespace mirka::rtf

#include "note/richtext/longdocument.h"

#include <QAbstractTextDocumentLayout>
#include <QCursor>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <climits>
#include <cmath>

namespace mirka::rtf {
namespace {

bool isLong(const QTextDocument *doc) { return doc->blockCount() >= kLongDocumentBlocks; }

// Sits on the document's layout: its own timers drive its steps and its
// size reports.
class EagerLayout : public QObject {
public:
    EagerLayout(QTextDocument *doc, QObject *layout) : QObject(layout), m_doc(doc) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Timer && isLong(m_doc)) {
            auto *layout = static_cast<QAbstractTextDocumentLayout *>(watched);
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
            layout->documentSize(); // finishes what is left of the layout
            QGuiApplication::restoreOverrideCursor();
        }
        return false;
    }

private:
    QTextDocument *m_doc;
};

void setScrollRange(QTextEdit *editor)
{
    QTextDocument *doc = editor->document();
    if (!isLong(doc))
        return;
    const double height = std::ceil(doc->documentLayout()->documentSize().height());
    const int max = qMax(0, int(qMin<double>(INT_MAX, height)) - editor->viewport()->height());
    QScrollBar *bar = editor->verticalScrollBar();
    if (bar->minimum() != 0 || bar->maximum() != max)
        bar->setRange(0, max);
}

} // namespace

void supportLongDocuments(QTextEdit *editor)
{
    QTextDocument *doc = editor->document();
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    if (!layout->property("mirkaLongDocument").toBool()) {
        layout->setProperty("mirkaLongDocument", true);
        layout->installEventFilter(new EagerLayout(doc, layout));
    }
    if (!editor->property("mirkaLongDocument").toBool()) {
        editor->setProperty("mirkaLongDocument", true);
        // Whenever the editor sets its range, the right one replaces it.
        QObject::connect(editor->verticalScrollBar(), &QAbstractSlider::rangeChanged, editor,
                         [editor] { setScrollRange(editor); });
    }
    editor->setVerticalScrollBarPolicy(isLong(doc) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    setScrollRange(editor);
}

} // namespace mirka::rtf

// List labels as the document numbers them: the levels of a list read from
// RTF, each with its number format, start and label text, count across the
// whole list; a level starts anew after an item of a level above it.
#include "note/richtext/rtfformat.h"
#include "note/richtext/rtfobjects.h"

#include <QHash>
#include <QPointer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <vector>

namespace mirka::rtf {

namespace {

QString roman(int n)
{
    static const std::pair<int, const char *> parts[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"},
                                                         {100, "c"},  {90, "xc"},  {50, "l"},  {40, "xl"},
                                                         {10, "x"},   {9, "ix"},   {5, "v"},   {4, "iv"},
                                                         {1, "i"}};
    QString s;
    for (const auto &p : parts)
        for (; n >= p.first; n -= p.first)
            s += QLatin1String(p.second);
    return s;
}

QString alpha(int n)
{
    QString s;
    for (; n > 0; n = (n - 1) / 26)
        s.prepend(QChar(u'a' + (n - 1) % 26));
    return s;
}

struct Labels {
    QPointer<const QTextDocument> doc;
    int revision = -1;
    QHash<int, QString> byBlock; // block number -> label
};

void countLabels(const QTextList *list, Labels &out)
{
    const QVariantList levels = list->format().property(ListLevels).toList();
    int counter[9] = {};
    bool fresh[9] = {true, true, true, true, true, true, true, true, true};
    const auto def = [&](int l) { return levels.value(qMin(l, int(levels.size()) - 1)).toList(); };
    for (int i = 0; i < list->count(); ++i) {
        const QTextBlock b = list->item(i);
        const int level = qBound(0, b.blockFormat().intProperty(ListLevel), 8);
        const QVariantList own = def(level);
        counter[level] = fresh[level] ? own.value(1).toInt() : counter[level] + 1;
        fresh[level] = false;
        for (int k = level + 1; k < 9; ++k)
            fresh[k] = true;
        QString label;
        for (QChar c : own.value(2).toString()) {
            if (c.unicode() < 9) {
                const int k = c.unicode();
                if (k <= level) {
                    const int n = fresh[k] ? def(k).value(1).toInt() : counter[k];
                    label += listNumber(n, def(k).value(0).toInt());
                }
                continue;
            }
            label += c;
        }
        out.byBlock.insert(b.blockNumber(), label);
    }
}

} // namespace

QString listNumber(int n, int nfc)
{
    switch (nfc) {
    case 1: return roman(n).toUpper();
    case 2: return roman(n);
    case 3: return alpha(n).toUpper();
    case 4: return alpha(n);
    case 22: return n < 10 ? QLatin1Char('0') + QString::number(n) : QString::number(n);
    case 23:
    case 255: return QString();
    default: return QString::number(n);
    }
}

QString listLabel(const QTextBlock &block)
{
    const QTextList *list = block.textList();
    if (!list)
        return {};
    const QTextListFormat f = list->format();
    if (!f.hasProperty(ListLevels)) {
        switch (f.style()) {
        case QTextListFormat::ListDisc: return QStringLiteral("\u2022");
        case QTextListFormat::ListCircle: return QStringLiteral("\u25CB");
        case QTextListFormat::ListSquare: return QStringLiteral("\u25A0");
        default: return list->itemText(block);
        }
    }
    // Counted once for the whole list until the document changes.
    static QHash<const QTextList *, Labels> cache;
    Labels &labels = cache[list];
    const QTextDocument *doc = block.document();
    if (labels.doc != doc || labels.revision != doc->revision()) {
        if (cache.size() > 256) {
            cache.clear();
            return listLabel(block);
        }
        labels = Labels();
        labels.doc = doc;
        labels.revision = doc->revision();
        countLabels(list, labels);
    }
    return labels.byBlock.value(block.blockNumber());
}

} // namespace mirka::rtf

// ---- what the editor shows and exports of the labels and kept items

#include "note/richtext/longdocument.h"
#include "note/richtext/rtf.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextLayout>

namespace mirka::rtf {

void paintListLabels(QTextEdit *edit, QPainter &painter, const QRect &area)
{
    QTextDocument *doc = edit->document();
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    const QPointF scroll(edit->horizontalScrollBar()->value(), edit->verticalScrollBar()->value());
    for (QTextBlock b = blockAtHeight(doc, area.top() + scroll.y()); b.isValid(); b = b.next()) {
        const QRectF r = layout->blockBoundingRect(b).translated(-scroll);
        if (r.top() > area.bottom())
            break;
        const QTextList *list = b.textList();
        if (!list || !list->format().hasProperty(ListLevels) || !b.isVisible())
            continue;
        const QString label = listLabel(b);
        const QTextLayout *text = b.layout();
        if (label.isEmpty() || !text || text->lineCount() == 0)
            continue;
        const QTextLine line = text->lineAt(0);
        const QFont font = QTextCursor(b).charFormat().font().resolve(doc->defaultFont());
        const QFontMetricsF fm(font);
        // The block's rectangle starts at its layout's position; the line at its margins.
        const double start = r.left() + line.x();
        const QTextBlockFormat f = b.blockFormat();
        // The label stands where the hanging indent puts it, or just before the text.
        const double x = f.hasProperty(ListLabelIndent) ? start + f.intProperty(ListLabelIndent) / kTwipsPerPixel
                                                        : start - fm.horizontalAdvance(label + QLatin1Char(' '));
        painter.setFont(font);
        painter.setPen(edit->palette().color(QPalette::Text));
        painter.drawText(QPointF(qMax(r.left(), x), r.top() + line.y() + line.ascent()), label);
    }
}

QString keptTip(const QTextCharFormat &f)
{
    if (f.objectType() != KeptObjectType)
        return {};
    const QByteArray raw = f.property(KeptRtf).toByteArray();
    qsizetype at = raw.indexOf("\\footnote");
    qsizetype word = 9;
    if (at < 0) {
        at = raw.indexOf("\\annotation");
        word = 11;
    }
    if (at < 0)
        return {};
    QTextDocument note;
    if (!read("{\\rtf1 " + raw.mid(at + word), &note))
        return {};
    QString tip = plainText(&note).simplified();
    const qsizetype author = raw.indexOf("\\atnauthor");
    if (author >= 0 && author < at) {
        const qsizetype end = raw.indexOf('}', author);
        tip = QString::fromLatin1(raw.mid(author + 10, end - author - 10)).trimmed() + QStringLiteral(": ") + tip;
    }
    return tip;
}

QString exportHtml(const QTextDocument *doc)
{
    // A copy whose labels and kept items are the text a reader sees. The
    // changes are found first and made from the end back, so that each
    // leaves the places of those still to come as they were.
    std::unique_ptr<QTextDocument> copy(doc->clone());
    struct Change {
        int at, length;
        QString text;
        QTextCharFormat format; // of a kept item's text; invalid for a label
    };
    std::vector<Change> changes;
    for (QTextBlock b = copy->begin(); b.isValid(); b = b.next()) {
        QTextList *list = b.textList();
        if (list && list->format().hasProperty(ListLevels)) {
            const QString label = listLabel(b);
            changes.push_back({b.position(), 0, label.isEmpty() ? label : label + QLatin1Char(' '), {}});
        }
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            QTextCharFormat plain = f.charFormat();
            if (plain.objectType() != KeptObjectType)
                continue;
            plain.setObjectType(QTextFormat::NoObject);
            changes.push_back({f.position(), f.length(), readerText(f.charFormat()).repeated(f.length()), plain});
        }
    }
    QTextCursor c(copy.get());
    c.beginEditBlock();
    for (auto it = changes.rbegin(); it != changes.rend(); ++it) {
        c.setPosition(it->at);
        if (!it->format.isValid()) {
            if (QTextList *list = c.block().textList())
                list->remove(c.block());
            c.insertText(it->text);
            continue;
        }
        c.setPosition(it->at + it->length, QTextCursor::KeepAnchor);
        c.insertText(it->text, it->format);
    }
    c.endEditBlock();
    return copy->toHtml();
}

} // namespace mirka::rtf

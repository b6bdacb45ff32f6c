// The RTF writer's body: blocks in order with the tables met on the way,
// links as HYPERLINK fields, list labels, pictures and kept items.
#include "note/richtext/rtfwriterimpl.h"

#include <climits>

namespace mirka::rtf::writer {

// The blocks and tables of a frame or table cell, in order. In a cell the
// last paragraph ends with the cell mark instead of \par.
void Writer::writeItems(Out &out, const QTextFrame *parent, int from, int to, int depth, bool inCell)
{
    // Blocks are walked in order and the parent's frames met on the way;
    // the frame iterator would look each block's frame up from the root.
    QList<QTextFrame *> frames;
    for (QTextFrame *f : parent->childFrames()) {
        // An empty frame (HTML makes one for a picture it cannot load)
        // holds nothing: walking it would write the blocks around it again.
        if (f->firstPosition() >= from && f->lastPosition() <= to && f->lastPosition() >= f->firstPosition())
            frames.append(f);
    }
    qsizetype next = 0;
    // Where the next frame starts, asked of Qt once per frame like positions.
    const auto startOfNext = [&] { return next < frames.size() ? frames.at(next)->firstPosition() : INT_MAX; };
    int nextStart = startOfNext();
    bool first = true;
    QTextBlock block = m_doc->findBlock(from);
    for (int pos = block.position(); block.isValid() && pos <= to;) {
        if (pos >= nextStart) {
            QTextFrame *frame = frames.at(next++);
            nextStart = startOfNext();
            if (inRange(frame->firstPosition(), frame->lastPosition())) {
                if (auto *table = qobject_cast<QTextTable *>(frame))
                    writeTable(out, table, qMin(depth + 1, 16));
                else
                    writeItems(out, frame, frame->firstPosition(), frame->lastPosition(), depth, inCell);
            }
            block = m_doc->findBlock(frame->lastPosition() + 1);
            pos = block.position();
            first = false;
            continue;
        }
        const int end = pos + block.length() - 1;
        const bool last = end >= to;
        const bool beforeFrame = end + 1 >= nextStart;
        // Before a table at the start of a frame or cell the document holds
        // an empty paragraph that is no part of the text, unless a paragraph
        // mark gave it a format (an empty line above the table).
        const bool skip = first && !last && block.length() == 1 && beforeFrame && !hasOwnCharFormat(block.charFormat());
        first = false;
        if (!skip && inRange(pos, end) && visits(block, pos))
            writeBlock(out, block, pos, depth, inCell && last ? (depth > 1 ? "\\nestcell" : "\\cell") : "\\par");
        pos = end + 1;
        block = block.next();
    }
}

namespace {

// The RTF cells a table cell stands for in row r: its own when it starts
// there, those merged into it from row r when it spans down to it.
QVariantList rtfCellsAt(const QTextTableCell &cell, int r)
{
    const QTextTableCellFormat f = cell.format().toTableCellFormat();
    if (cell.row() == r)
        return f.property(RtfCells).toList();
    return f.property(RtfCellsBelow).toList().value(r - cell.row() - 1).toList();
}

// A cell with something in it is a cell, whatever definitions it lacks.
bool holdsText(const QTextTableCell &cell)
{
    return cell.lastPosition() > cell.firstPosition();
}

} // namespace

void Writer::writeTable(Out &out, QTextTable *table, int depth)
{
    const QTextTableFormat format = table->format();
    const QList<QTextLength> widths = format.columnWidthConstraints();
    const int columns = table->columns();
    // A table made here: one set of columns for every row.
    QByteArray uniform("\\trowd\\trgaph108");
    int right = 0;
    for (int c = 0; c < columns; ++c) {
        int w = 9000 / qMax(1, columns);
        if (c < widths.size() && widths.at(c).type() == QTextLength::FixedLength)
            w = qMax(1, qRound(widths.at(c).rawValue() * kTwipsPerPixel));
        else if (c < widths.size() && widths.at(c).type() == QTextLength::PercentageLength)
            w = qMax(1, qRound(widths.at(c).rawValue() * 90));
        right += w;
        uniform += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10"
                   "\\clbrdrr\\brdrs\\brdrw10\\cellx"
            + QByteArray::number(right);
    }
    const char *cellEnd = depth > 1 ? "\\nestcell" : "\\cell";
    const auto emptyCell = [&] {
        out.word("\\pard\\intbl");
        if (depth > 1)
            out.word("\\itap", depth);
        out.word(cellEnd);
        m_haveLastPara = false;
    };
    for (int r = 0; r < table->rows(); ++r) {
        // A row read from RTF has its own cells, widths and words; cells
        // the reader added to square the table are none of them.
        bool read = false;
        for (int c = 0; c < columns && !read; ++c)
            read = !rtfCellsAt(table->cellAt(r, c), r).isEmpty();
        // Each cell's RTF cells in this row. A cell before one that is
        // written is written too, or those after it would move left, and so
        // is the first of cells merged down: one that has none gets a cell
        // of its own (merged down where it is).
        std::vector<QVariantList> defs(static_cast<size_t>(columns));
        QByteArray rowDef;
        if (read) {
            rowDef = "\\trowd" + table->cellAt(r, 0).format().property(RtfRow).toByteArray();
            int last = -1; // the last column written
            for (int c = 0; c < columns; ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (cell.column() != c)
                    continue;
                defs[size_t(c)] = rtfCellsAt(cell, r);
                if (!defs[size_t(c)].isEmpty() || (cell.row() == r && (holdsText(cell) || cell.rowSpan() > 1)))
                    last = c;
            }
            bool first = true;
            int edge = 0;
            for (int c = 0; c <= last; ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (cell.column() != c)
                    continue;
                if (defs[size_t(c)].isEmpty())
                    defs[size_t(c)].append(QVariant(QVariantList{cell.row() == r ? QByteArray() : QByteArray("\\clvmrg"), edge, edge + 1440}));
                for (const QVariant &v : std::as_const(defs[size_t(c)])) {
                    const QVariantList d = v.toList();
                    if (first && d.value(1).toInt())
                        rowDef += "\\trleft" + QByteArray::number(d.value(1).toInt());
                    first = false;
                    edge = qMax(edge, d.value(2).toInt());
                    rowDef += d.value(0).toByteArray() + "\\cellx" + QByteArray::number(edge);
                }
            }
        } else {
            rowDef = uniform;
        }
        if (depth == 1) {
            out.raw(rowDef.constData());
            out.newline();
        }
        for (int c = 0; c < columns; ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.column() != c)
                continue; // within a cell merged across
            const int own = read ? int(defs[size_t(c)].size()) : cell.columnSpan();
            if (cell.row() != r) {
                // Merged down from above: empty cells of their own.
                for (int k = 0; k < own; ++k)
                    emptyCell();
                continue;
            }
            if (own == 0)
                continue;
            writeItems(out, table, cell.firstPosition(), cell.lastPosition(), depth, true);
            for (int k = 1; k < own; ++k)
                emptyCell();
        }
        if (depth == 1) {
            out.word("\\row");
        } else {
            out.raw("{\\*\\nesttableprops");
            out.raw(rowDef.constData());
            out.word("\\nestrow");
            out.raw("}{\\nonesttables\\par}");
        }
        // LibreOffice takes each row's paragraphs at the depth they state.
        m_haveLastPara = false;
        out.newline();
    }
}

void Writer::writeBlock(Out &out, const QTextBlock &block, int pos, int depth, const char *end)
{
    ParaProps pp = m_paraProps[size_t(paraOf(block.blockFormatIndex()))];
    pp.itap = depth;
    if (!m_haveLastPara || pp != m_lastPara) {
        writePara(out, pp);
        m_lastPara = pp;
        m_haveLastPara = true;
    }
    if (const QString label = pp.ls ? listLabel(block) : QString(); !label.isEmpty()) {
        // The label as text, for readers without lists; one the list
        // draws, as the paragraph holds its \\ls.
        out.raw("{\\listtext ");
        const int uc = m_uc;
        writeText(out, label, m_runProps[size_t(propsOf(-1))], false);
        out.word("\\tab");
        out.raw("}");
        m_uc = uc; // the group's \uc ends with it
    }
    forEachRunIn(block, pos, [&](const QTextBlock &, const QString &text, int formatIndex) {
        const Props &p = m_runProps[size_t(propsOf(formatIndex))];
        if (p.link != m_link) {
            if (m_link) {
                out.raw("}}}");
                m_last = m_beforeLink;
                m_uc = m_ucBeforeLink;
            }
            m_link = p.link;
            if (m_link) {
                m_beforeLink = m_last;
                m_ucBeforeLink = m_uc;
                out.raw(hyperlinkFieldStart(m_links[size_t(m_link)]));
            }
        }
        writeProps(out, p, m_last);
        m_last = p;
        if (isObject(formatIndex))
            writeObjects(out, formatIndex, int(text.count(QChar::ObjectReplacementCharacter)));
        writeText(out, text, p);
    });
    if (m_link) {
        out.raw("}}}");
        m_last = m_beforeLink;
        m_uc = m_ucBeforeLink;
        m_link = 0;
    }
    // An empty paragraph's own format: the size and weight of an empty line.
    if (block.length() == 1) {
        Props p = m_runProps[size_t(propsOf(block.charFormatIndex()))];
        p.link = 0;
        writeProps(out, p, m_last);
        m_last = p;
    }
    out.word(end);
    out.newline();
}

// Pictures as they were read, or as PNG; kept items byte for byte but for
// what is not ASCII.
void Writer::writeObjects(Out &out, int formatIndex, int count)
{
    if (formatIndex < 0 || formatIndex >= m_formats.size())
        return;
    const QTextCharFormat cf = m_formats.at(formatIndex).toCharFormat();
    QByteArray bytes = asciiRtf(cf.property(KeptRtf).toByteArray());
    if (bytes.isEmpty() && cf.isImageFormat()) {
        const QTextImageFormat f = cf.toImageFormat();
        const QVariant res = m_doc->resource(QTextDocument::ImageResource, QUrl(f.name()));
        QImage image = res.value<QImage>();
        if (image.isNull() && res.userType() == QMetaType::QByteArray)
            image = QImage::fromData(res.toByteArray());
        if (image.isNull() && res.userType() == QMetaType::QPixmap)
            image = res.value<QPixmap>().toImage();
        if (!image.isNull())
            bytes = pictGroup(image, QSizeF(f.width() > 0 ? f.width() : image.width(),
                                            f.height() > 0 ? f.height() : image.height()));
    }
    if (bytes.isEmpty())
        return;
    for (int i = 0; i < count; ++i)
        out.raw(bytes);
}

} // namespace mirka::rtf::writer

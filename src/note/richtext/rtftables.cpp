// The reader's tables: \trowd … \cell … \row, and nested tables (\itapN,
// \nestcell, \nestrow), as QTextTables. A table grows as its cells come:
// a \cell or \row moves on only when more content follows, so a row's
// last \cell and a table's last \row leave no empty cell or row behind.
#include "note/richtext/rtfreaderimpl.h"

#include "note/richtext/rtflexer.h"

#include <QTextTable>
#include <algorithm>
#include <tuple>

namespace mirka::rtf::detail {

constexpr size_t kMaxRowCells = 256; // definitions kept per row

namespace {

// Qt gives a new cell the format of its neighbour: the RTF cells that one
// stands for are none of the new one's.
void forgetDefinitions(QTextTableCell cell)
{
    QTextTableCellFormat f = cell.format().toTableCellFormat();
    if (!f.hasProperty(RtfCells) && !f.hasProperty(RtfCellsBelow) && !f.hasProperty(RtfRow))
        return;
    f.clearProperty(RtfCells);
    f.clearProperty(RtfCellsBelow);
    f.clearProperty(RtfRow);
    cell.setFormat(f);
}

// A cell's paragraphs, its own and those of the tables inside it. Walked
// by Qt's marks, as Qt's cell iterator walks into a table the cell starts
// with, and the frame tree is not built while reading: a table's start and
// each of its cells' is U+FDD0 in the table's format, its end U+FDD1.
struct CellParagraph {
    QTextBlock block;
    bool own; // the cell's, not a table's inside it
    bool afterTable; // its mark is a table's end
};

std::vector<CellParagraph> cellParagraphs(QTextDocument *doc, const QTextTableCell &cell)
{
    std::vector<CellParagraph> out;
    std::vector<QTextObject *> inside;
    for (QTextBlock b = doc->findBlock(cell.firstPosition()); b.isValid() && b.position() <= cell.lastPosition();
         b = b.next()) {
        const QChar mark = b.position() > cell.firstPosition() ? doc->characterAt(b.position() - 1) : QChar();
        if (mark == QChar(0xfdd0)) {
            QTextObject *table = doc->objectForFormat(b.charFormat());
            if (inside.empty() || inside.back() != table)
                inside.push_back(table);
        } else if (mark == QChar(0xfdd1) && !inside.empty()) {
            inside.pop_back();
        }
        out.push_back({b, inside.empty(), mark == QChar(0xfdd1)});
    }
    return out;
}

// Merges cells as Qt does, but each paragraph keeps its own format: Qt
// gives a paragraph moved from a merged cell (or the first of a table
// inside it) the format of the one before it, and the paragraph before a
// merged cell that of the cell.
void mergeCells(QTextTable *table, int row, int column, int rows, int columns)
{
    QTextDocument *doc = table->document();
    const QTextTableCell target = table->cellAt(row, column);
    columns = qMin(columns, table->columns() - column);
    std::vector<std::pair<QTextBlockFormat, QTextCharFormat>> moved;
    std::vector<std::tuple<QTextCursor, QTextBlockFormat, QTextCharFormat>> before;
    // Qt starts a paragraph for the first cell with text in each row after
    // the first (and in the first when the merge is no wider than the
    // cell); the text of any other joins the paragraph before it after a
    // space, and that paragraph keeps its format.
    bool startsParagraph = target.columnSpan() == columns;
    for (int r = row; r < row + rows; ++r) {
        for (int c = column; c < column + columns; ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() != r || cell.column() != c)
                continue; // within a cell merged already
            bool joins = false;
            if (!moved.empty()) {
                QTextCursor prev(doc);
                prev.setPosition(cell.firstPosition() - 1);
                const QTextTableCell p = table->cellAt(prev.position());
                if (p.row() < row || p.row() >= row + rows || p.column() < column || p.column() >= column + columns)
                    before.emplace_back(prev, prev.blockFormat(), prev.blockCharFormat());
                if (cell.firstPosition() == cell.lastPosition())
                    continue; // nothing of it moves
                joins = !startsParagraph;
                startsParagraph = false;
            }
            const std::vector<CellParagraph> paragraphs = cellParagraphs(doc, cell);
            for (size_t i = joins ? 1 : 0; i < paragraphs.size(); ++i)
                moved.emplace_back(paragraphs[i].block.blockFormat(), paragraphs[i].block.charFormat());
        }
        startsParagraph = true;
    }
    table->mergeCells(row, column, rows, columns);
    const auto restore = [](QTextCursor &c, const QTextBlockFormat &bf, const QTextCharFormat &cf) {
        if (c.blockFormat() != bf)
            c.setBlockFormat(bf);
        if (c.blockCharFormat() != cf)
            c.setBlockCharFormat(cf);
    };
    for (auto &[c, bf, cf] : before)
        restore(c, bf, cf);
    // The first paragraph's format too (of cells all empty, Qt keeps the
    // last one's), but not its mark's: that is the merged cell's format;
    // nor the mark of one in a table or after one, which is the table's.
    const auto merged = cellParagraphs(doc, table->cellAt(row, column));
    for (size_t i = 0; i < merged.size() && i < moved.size(); ++i) {
        QTextCursor c(merged[i].block);
        if (i > 0 && merged[i].own && !merged[i].afterTable)
            restore(c, moved[i].first, moved[i].second);
        else if (c.blockFormat() != moved[i].first)
            c.setBlockFormat(moved[i].first);
    }
}

} // namespace

void Reader::syncTables(int depth)
{
    depth = qBound(0, depth, kMaxTableDepth);
    while (int(m_tables.size()) > depth)
        closeTable();
    m_tableDirty = false;
    if (!m_tables.empty()) {
        // A \cell or \row waiting for content: the content is here.
        OpenTable &t = m_tables.back();
        if (t.rowEnded || t.cellEnded) {
            if (t.rowEnded) {
                ++t.row;
                t.col = 0;
                if (t.row >= t.table->rows()) {
                    t.table->appendRows(1);
                    for (int c = 0; c < t.table->columns(); ++c)
                        forgetDefinitions(t.table->cellAt(t.row, c));
                }
            } else {
                ++t.col;
                if (t.col >= t.table->columns()) {
                    t.table->appendColumns(1);
                    for (int r = 0; r < t.table->rows(); ++r)
                        forgetDefinitions(t.table->cellAt(r, t.col));
                }
            }
            t.rowEnded = t.cellEnded = false;
            m_cursor.setPosition(t.table->cellAt(t.row, t.col).firstPosition());
            m_blockPropsKnown = false;
            m_pendingPar = false;
            m_blockHasContent = false;
        }
    }
    while (int(m_tables.size()) < depth)
        openTable();
}

void Reader::openTable()
{
    flushRun();
    ParaProps before = m_pendingPar ? m_parProps : m_lastPara;
    if (m_pendingPar || m_blockHasContent) {
        // The paragraph before the table ends where the table begins.
        before.itap = int(m_tables.size());
        finishBlock(before);
    }
    m_pendingPar = false;
    const int columns = m_tables.empty() && !m_rowDefs[1].cells.empty() ? int(m_rowDefs[1].cells.size()) : 1;
    QTextTableFormat format;
    format.setCellPadding(2);
    format.setCellSpacing(0);
    format.setBorderCollapse(true);
    OpenTable t;
    t.table = m_cursor.insertTable(1, columns, format);
    m_blockPropsKnown = false;
    m_tables.push_back(t);
    m_blockHasContent = false;
}

void Reader::closeTable()
{
    flushRun();
    OpenTable &t = m_tables.back();
    if (!t.cellEnded && !t.rowEnded && (m_pendingPar || m_blockHasContent))
        finishBlock(m_pendingPar ? m_parProps : m_lastPara);
    // Cells that only square the table are no cells of the document: they
    // look the same however they came, as a writer leaves them out; columns
    // of nothing else go (a table begun with more cells than its rows came
    // with would read back with fewer).
    QTextTable *table = t.table;
    int squaring = 0; // the first of the trailing such columns
    for (int r = 0; r < table->rows(); ++r) {
        bool read = false;
        for (int c = 0; c < table->columns() && !read; ++c)
            read = table->cellAt(r, c).format().hasProperty(RtfCells);
        int first = table->columns();
        for (int c = table->columns() - 1; c >= 0 && read; --c) {
            const QTextTableCell cell = table->cellAt(r, c);
            const bool square = cell.row() == r && cell.column() == c && !cell.format().hasProperty(RtfCells)
                && !cell.format().hasProperty(RtfCellsBelow) && cell.firstPosition() == cell.lastPosition();
            if (square) {
                QTextCursor empty = cell.firstCursorPosition();
                empty.setBlockFormat(QTextBlockFormat());
                empty.setBlockCharFormat(QTextCharFormat());
            }
            if (square && first == c + 1)
                first = c;
        }
        squaring = qMax(squaring, first);
    }
    if (squaring > 0 && squaring < table->columns())
        table->removeColumns(squaring, table->columns() - squaring);
    for (const MergeDown &m : t.mergesDown)
        mergeCells(table, m.row, m.column, m.rows, m.columns);
    m_pendingPar = false;
    m_cursor.setPosition(t.table->lastPosition() + 1);
    m_blockPropsKnown = false;
    m_tables.pop_back();
    m_blockHasContent = false;
}

void Reader::endCell(int depth)
{
    flushLead();
    // A label waiting for its paragraph goes first: showing it may move
    // the cursor by the paragraph's own table depth.
    if (!m_listText.isEmpty())
        listTextEnded();
    syncTables(depth);
    // A \par just before \cell ends a paragraph of the cell: the cell mark
    // ends the empty one after it.
    if (m_pendingPar && !m_tables.empty())
        ensureBlock();
    flushRun();
    if (!m_tables.empty())
        markEmptyBlock();
    finishBlock(m_pendingPar ? m_parProps : st().para);
    m_pendingPar = false;
    ++m_emitted; // a cell mark is shown as much as a paragraph mark
    if (m_tables.empty())
        return;
    m_tables.back().cellEnded = true;
    m_tableDirty = true;
}

void Reader::endRow(int depth)
{
    if (depth < 1 || int(m_tables.size()) < depth)
        return; // a row end with no cells, or out of every table
    while (int(m_tables.size()) > depth)
        closeTable();
    OpenTable &t = m_tables.back();
    if (t.rowEnded)
        return; // no cell since the last row end: no row of its own
    if (!t.cellEnded && (m_blockHasContent || !m_run.isEmpty()))
        endCell(depth);
    if (m_tables.empty())
        return;
    OpenTable &row = m_tables.back();
    const RowDef &def = m_rowDefs[depth];
    if (!row.widthsSet && !def.cells.empty() && int(def.cells.size()) == row.table->columns()) {
        QList<QTextLength> widths;
        for (const CellDef &c : def.cells)
            widths.append(QTextLength(QTextLength::FixedLength, qMax(1, c.right - c.left) / kTwipsPerPixel));
        QTextTableFormat f = row.table->format();
        f.setColumnWidthConstraints(widths);
        row.table->setFormat(f);
        row.widthsSet = true;
    }
    applyRow(row, def);
    row.cellEnded = false;
    row.rowEnded = true;
    ++m_emitted;
    m_tableDirty = true;
}

namespace {

// What a row or cell definition may hold that a writer can give back: the
// table words alone, no groups or text, so it stays balanced ASCII.
QByteArray tableWords(const char *d, qsizetype n)
{
    static const char *const kinds[] = {"cl", "tr", "brdr", "brsp", "tbl", "ts", "irow", "lastrow", "ltrrow", "rtlrow"};
    QByteArray out;
    for (qsizetype p = 0; p < n; ++p) {
        if (d[p] != '\\' || p + 1 >= n || !isAsciiLetter(d[p + 1]))
            continue;
        qsizetype q = p + 1;
        while (q < n && isAsciiLetter(d[q]))
            ++q;
        const std::string_view w(d + p + 1, size_t(q - p - 1));
        if (q + 1 < n && d[q] == '-' && isAsciiDigit(d[q + 1]))
            ++q;
        while (q < n && isAsciiDigit(d[q]))
            ++q;
        const bool keep = w != "trowd" && w != "cellx" && w != "trleft" && w.size() <= 32
            && std::any_of(std::begin(kinds), std::end(kinds), [&](const char *k) { return w.rfind(k, 0) == 0; });
        if (keep && out.size() < 4096)
            out.append(d + p, q - p);
        p = q - 1;
    }
    return out;
}

} // namespace

void Reader::rowWord(std::string_view w, int param)
{
    ++m_rowWords;
    if (w == "trowd") {
        m_rowDefDepth = qBound(1, st().para.itap, kMaxTableDepth);
        m_rowDefs[m_rowDefDepth] = RowDef();
        m_rowDefs[m_rowDefDepth].wordsFrom = m_p;
        return;
    }
    RowDef &def = m_rowDefs[m_rowDefDepth];
    if (w == "trleft") {
        def.left = clampTwips(param);
        return;
    }
    if (w != "cellx" || def.cells.size() >= kMaxRowCells)
        return;
    CellDef c;
    c.left = def.cells.empty() ? def.left : def.cells.back().right;
    c.right = qMax(c.left, clampTwips(param));
    c.rightAsRead = qMax(c.right, qMin(param, 1 << 30)); // room for the cells a writer adds after it
    const qsizetype from = qBound<qsizetype>(0, def.wordsFrom, m_wordStart);
    QByteArray words = tableWords(m_data + from, m_wordStart - from);
    if (def.cells.empty()) {
        // The row's words come before the first cell's.
        const qsizetype cell = words.indexOf("\\cl");
        def.words = words.left(cell < 0 ? words.size() : cell);
        words = cell < 0 ? QByteArray() : words.mid(cell);
    }
    c.merge = words.contains("\\clmrg") ? 1 : words.contains("\\clvmgf") ? 2 : words.contains("\\clvmrg") ? 3 : 0;
    c.words = words;
    def.cells.push_back(c);
    def.wordsFrom = m_p;
}

// A row's cells take their definitions, so that a writer gives each row
// its own cells back; cells merged across or down become one.
void Reader::applyRow(OpenTable &t, const RowDef &def)
{
    QTextTable *table = t.table;
    const int row = t.row;
    // Cells that came beyond the definition get edges of their own; those
    // that only square the table get none, and are no cells to a writer.
    int came = qMin(qMax(t.cellEnded ? t.col + 1 : t.col, int(def.cells.size())), table->columns());
    // An empty cell closed after the last defined one is none of the row's
    // (LibreOffice ends a row that holds a nested table so): it only
    // squares the table, and its column goes if nothing else needs it.
    // Cells past the bound on definitions are the row's own, empty or not.
    while (came > int(def.cells.size()) && def.cells.size() < kMaxRowCells && row < table->rows()) {
        const QTextTableCell last = table->cellAt(row, came - 1);
        if (last.row() != row || last.column() != came - 1 || last.firstPosition() != last.lastPosition())
            break;
        --came;
    }
    if (came == 0 || def.cells.empty() || row >= table->rows())
        return;
    std::vector<CellDef> cells(def.cells.begin(), def.cells.begin() + qMin<size_t>(def.cells.size(), size_t(came)));
    while (int(cells.size()) < came) {
        CellDef extra;
        extra.left = cells.back().right;
        extra.right = extra.rightAsRead = qMin(extra.left + 1440, 31680);
        cells.push_back(extra);
    }
    const int n = came;
    ++m_kept; // the words may name colours: the tables are kept as read
    const auto cellList = [](const CellDef &c) {
        return QVariant(QVariantList{c.words, c.left, c.rightAsRead});
    };
    for (int i = 0; i < n;) {
        int end = i + 1;
        QVariantList own{cellList(cells[size_t(i)])};
        while (end < n && cells[size_t(end)].merge == 1)
            own.append(cellList(cells[size_t(end++)]));
        QTextTableCell cell = table->cellAt(row, i);
        if (cell.row() != row || cell.column() != i) {
            i = end;
            continue;
        }
        if (end - i > 1 && cell.columnSpan() == 1) {
            mergeCells(table, row, i, 1, end - i);
            cell = table->cellAt(row, i);
        }
        QTextTableCellFormat f = cell.format().toTableCellFormat();
        f.setProperty(RtfCells, own);
        if (i == 0)
            f.setProperty(RtfRow, def.words);
        cell.setFormat(f);
        const QTextTableCell above = row > 0 ? table->cellAt(row - 1, i) : QTextTableCell();
        if (cells[size_t(i)].merge == 3 && above.isValid() && above.column() == i
            && above.columnSpan() == cell.columnSpan()) {
            // Merged into the cell above: its definition rides on the first
            // cell of the merge. The cells are merged when the table is
            // done, as Qt adds a column wrongly beside a cell merged down.
            auto merge = std::find_if(t.mergesDown.begin(), t.mergesDown.end(), [&](const MergeDown &m) {
                return m.column == i && m.row + m.rows == row;
            });
            if (merge == t.mergesDown.end())
                merge = t.mergesDown.insert(t.mergesDown.end(), MergeDown{row - 1, i, 1, cell.columnSpan()});
            ++merge->rows;
            QTextTableCell top = table->cellAt(merge->row, i);
            QTextTableCellFormat tf = top.format().toTableCellFormat();
            QVariantList below = tf.property(RtfCellsBelow).toList();
            below.append(QVariant(own));
            tf.setProperty(RtfCellsBelow, below);
            top.setFormat(tf);
        }
        i = end;
    }
}

} // namespace mirka::rtf::detail

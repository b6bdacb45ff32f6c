// The reader's tables: \trowd … \cell … \row, and nested tables (\itapN,
// \nestcell, \nestrow), as QTextTables. A table grows as its cells come:
// a \cell or \row moves on only when more content follows, so a row's
// last \cell and a table's last \row leave no empty cell or row behind.
#include "note/richtext/rtfreaderimpl.h"

#include <QTextTable>

namespace mirka::rtf::detail {

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
                if (t.row >= t.table->rows())
                    t.table->appendRows(1);
            } else {
                ++t.col;
                if (t.col >= t.table->columns())
                    t.table->appendColumns(1);
            }
            t.rowEnded = t.cellEnded = false;
            m_cursor.setPosition(t.table->cellAt(t.row, t.col).firstPosition());
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
    const int columns = m_tables.empty() && !m_cellx.empty() ? int(m_cellx.size()) : 1;
    QTextTableFormat format;
    format.setCellPadding(2);
    format.setCellSpacing(0);
    format.setBorderCollapse(true);
    OpenTable t;
    t.table = m_cursor.insertTable(1, columns, format);
    m_tables.push_back(t);
    m_blockHasContent = false;
}

void Reader::closeTable()
{
    flushRun();
    OpenTable &t = m_tables.back();
    if (!t.cellEnded && !t.rowEnded && (m_pendingPar || m_blockHasContent))
        finishBlock(m_pendingPar ? m_parProps : m_lastPara);
    m_pendingPar = false;
    m_cursor.setPosition(t.table->lastPosition() + 1);
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
    if (!t.cellEnded && !t.rowEnded && (m_blockHasContent || !m_run.isEmpty()))
        endCell(depth);
    if (m_tables.empty())
        return;
    OpenTable &row = m_tables.back();
    if (!row.widthsSet && !m_cellx.empty() && int(m_cellx.size()) == row.table->columns()) {
        // \cellxN are right edges in twips.
        QList<QTextLength> widths;
        int left = 0;
        for (int x : m_cellx) {
            widths.append(QTextLength(QTextLength::FixedLength, qMax(1, x - left) / kTwipsPerPixel));
            left = qMax(left, x);
        }
        QTextTableFormat f = row.table->format();
        f.setColumnWidthConstraints(widths);
        row.table->setFormat(f);
        row.widthsSet = true;
    }
    row.cellEnded = false;
    row.rowEnded = true;
    ++m_emitted;
    m_tableDirty = true;
}

} // namespace mirka::rtf::detail

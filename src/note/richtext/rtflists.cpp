// The reader's lists: the list table (\listtable, \listoverridetable), the
// old-style \pn paragraphs, and \listtext labels, which show as text only
// when no list gives the paragraph its label.
#include "note/richtext/rtfreaderimpl.h"

namespace mirka::rtf::detail {

namespace {

QTextListFormat listFormat(const ListLevelDef &level, int ilvl, bool indented)
{
    QTextListFormat f;
    QString before, after;
    bool seen = false;
    for (QChar c : level.text) {
        if (c.unicode() < 10) {
            if (c.unicode() == ilvl || !seen) {
                seen = true;
                before += after; // the labels of outer levels stay as text
                after.clear();
            }
            continue;
        }
        (seen ? after : before) += c;
    }
    switch (level.nfc) {
    case 1: f.setStyle(QTextListFormat::ListUpperRoman); break;
    case 2: f.setStyle(QTextListFormat::ListLowerRoman); break;
    case 3: f.setStyle(QTextListFormat::ListUpperAlpha); break;
    case 4: f.setStyle(QTextListFormat::ListLowerAlpha); break;
    case 23: {
        const char16_t c = before.isEmpty() ? 0x2022 : before.at(0).unicode();
        f.setStyle(c == 'o' || c == 0x25CB || c == 0xF06F ? QTextListFormat::ListCircle
                   : c == 0x25A0 || c == 0x25AA || c == 0xF0A7 || c == 0xF0A8 ? QTextListFormat::ListSquare
                                                                               : QTextListFormat::ListDisc);
        before.clear();
        after.clear();
        break;
    }
    default: f.setStyle(QTextListFormat::ListDecimal); break;
    }
    if (level.nfc != 23) {
        f.setNumberPrefix(before);
        f.setNumberSuffix(after);
    }
    // A paragraph indented of its own holds its label in that indent.
    f.setIndent(indented ? 0 : ilvl + 1);
    return f;
}

} // namespace

void Reader::listWord(Kw kw, int param)
{
    State &s = st();
    switch (kw) {
    case Kw::None: // the group opened by \list, \listlevel, \listoverride or \pn ended
        if (param == 1) {
            if (m_listDefs.size() < 10000)
                m_listDefs.insert(m_list.id, m_list);
        } else if (param == 2) {
            if (m_list.levels.size() < 9)
                m_list.levels.push_back(m_level);
        } else if (param == 3) {
            if (m_overrides.size() < 10000 && m_overrideLs > 0)
                m_overrides.insert(m_overrideLs, m_overrideListId);
        } else if (param == 4 && s.dest == Dest::Body && s.para.ls <= 0) {
            m_level.text = m_pnBefore + QChar(0) + m_pnAfter;
            const QString key = QStringLiteral("%1|%2|").arg(m_level.nfc).arg(m_level.start) + m_level.text;
            int id = m_pnLists.value(key);
            if (!id && m_pnLists.size() < 10000) {
                id = -int(m_pnLists.size() + 1);
                m_pnLists.insert(key, id);
                ListDef def;
                def.id = id;
                def.levels.push_back(m_level);
                m_listDefs.insert(id, def);
                m_overrides.insert(id, id);
            }
            s.para.ls = id;
            s.para.ilvl = 0;
        }
        return;
    case Kw::ListTable: s.dest = Dest::ListTable; return;
    case Kw::List:
        s.listGroup = 1;
        m_list = ListDef();
        return;
    case Kw::ListLevel:
        s.listGroup = 2;
        m_level = ListLevelDef();
        return;
    case Kw::ListOverride:
        s.listGroup = 3;
        m_overrideListId = m_overrideLs = 0;
        return;
    case Kw::ListId:
        (s.listGroup == 3 ? m_overrideListId : m_list.id) = param;
        return;
    case Kw::Ls: m_overrideLs = param; return;
    case Kw::LevelNfc:
    case Kw::PnFormat: m_level.nfc = param; return;
    case Kw::LevelStartAt:
    case Kw::PnStart: m_level.start = param; return;
    case Kw::LevelText:
    case Kw::PnText:
        if (s.dest != Dest::ListTable) {
            enterSkip();
            return;
        }
        s.dest = Dest::LevelText;
        m_levelText.clear();
        m_pnText = kw == Kw::PnText ? char(param) : 0;
        return;
    case Kw::Pn:
        if (s.dest != Dest::Body) {
            enterSkip();
            return;
        }
        s.dest = Dest::ListTable;
        s.listGroup = 4;
        m_level = ListLevelDef();
        m_pnBefore.clear();
        m_pnAfter.clear();
        return;
    case Kw::PnLevel: m_level.nfc = param == 0 ? m_level.nfc : param; return;
    default: return;
    }
}

void Reader::levelTextEnded()
{
    if (m_pnText == 'b') {
        m_pnBefore = m_levelText;
    } else if (m_pnText == 'a') {
        m_pnAfter = m_levelText;
    } else {
        QString t = m_levelText.mid(1); // the length
        if (t.endsWith(QLatin1Char(';')))
            t.chop(1);
        m_level.text = t;
    }
    m_pnText = 0;
}

bool Reader::listKnown(const ParaProps &p) const
{
    if (!p.ls)
        return false;
    const auto o = m_overrides.constFind(p.ls);
    return o != m_overrides.constEnd() && m_listDefs.contains(*o);
}

void Reader::listTextEnded()
{
    const QString label = m_listText;
    m_listText.clear();
    // The paragraph's properties where the label was written: a group its
    // text starts in (a kept group beginning with \pard, say) has its own.
    const size_t depth = qBound<size_t>(1, m_listTextDepth, m_stack.size());
    if (listKnown(m_stack[depth - 1].para))
        return; // the list shows it
    for (QChar c : label)
        emitBody(c.unicode());
}

QTextList *Reader::listFor(const ParaProps &p)
{
    const qint64 key = qint64(p.ls) * 16 + p.ilvl; // \ls may be negative
    if (QTextList *l = m_textLists.value(key)) {
        l->add(m_cursor.block());
        return l;
    }
    if (!listKnown(p))
        return nullptr;
    const ListDef &def = *m_listDefs.constFind(m_overrides.value(p.ls));
    const ListLevelDef level = def.levels.empty() ? ListLevelDef()
        : size_t(p.ilvl) < def.levels.size()      ? def.levels[size_t(p.ilvl)]
                                                  : def.levels.back();
    QTextList *l = m_cursor.createList(listFormat(level, p.ilvl, p.li > 0));
    m_textLists.insert(key, l);
    return l;
}

} // namespace mirka::rtf::detail

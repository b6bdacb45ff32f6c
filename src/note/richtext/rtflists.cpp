// The reader's lists: the list table (\listtable, \listoverridetable), the
// old-style \pn paragraphs, and \listtext labels, which show as text only
// when no list gives the paragraph its label.
#include "note/richtext/rtfreaderimpl.h"

#include <algorithm>

namespace mirka::rtf::detail {

namespace {

// Qt's own label never shows: the editor draws the document's (listLabel).
QTextListFormat listFormat(const ListDef &def, const ListOverrideDef &override)
{
    QTextListFormat f;
    f.setStyle(QTextListFormat::ListStyleUndefined);
    f.setIndent(0);
    QVariantList levels;
    for (size_t i = 0; i < def.levels.size(); ++i) {
        const ListLevelDef &l = def.levels[i];
        const int start = i < 9 && override.starts[i] >= 0 ? override.starts[i] : l.start;
        levels.append(QVariant(QVariantList{l.nfc, start, l.text, l.li, l.fi, l.legal, l.noRestart}));
    }
    if (levels.isEmpty())
        levels.append(QVariant(QVariantList{0, 1, QString(QChar(0)), 0, 0}));
    f.setProperty(ListLevels, levels);
    return f;
}

} // namespace

void Reader::listWord(Kw kw, int param)
{
    State &s = st();
    switch (kw) {
    case Kw::None: // the group opened by \list, \listlevel, \listoverride or \pn ended
        // A list that paragraphs show already keeps its definition: one
        // given again after them would give the list's later paragraphs
        // other indents than its labels and its save have.
        if (param == 1) {
            const bool used = std::any_of(m_textLists.keyBegin(), m_textLists.keyEnd(), [&](qint64 ls) {
                return m_overrides.value(int(ls)).listId == m_list.id;
            });
            if (m_listDefs.size() < 10000 && !used)
                m_listDefs.insert(m_list.id, m_list);
        } else if (param == 2) {
            // A bullet in a symbol font as the character it shows.
            const auto font = m_fonts.constFind(m_levelFont);
            const int symbol = font == m_fonts.constEnd() ? 0 : font->symbol;
            for (QChar &c : m_level.text) {
                if (c.unicode() >= 0xF020 && c.unicode() <= 0xF0FF) {
                    const char32_t u = symbolToUnicode(symbol ? symbol : 1, uchar(c.unicode() - 0xF000));
                    c = u && u <= 0xFFFF ? QChar(char16_t(u)) : QChar(0x2022);
                }
            }
            if (m_list.levels.size() < 9)
                m_list.levels.push_back(m_level);
        } else if (param == 3) {
            if (m_overrides.size() < 10000 && m_overrideLs > 0 && !m_textLists.contains(m_overrideLs))
                m_overrides.insert(m_overrideLs, m_override);
        } else if (param == 4 && s.dest == Dest::Body && s.para.ls <= 0) {
            // A bullet in a symbol font (\pnf) came decoded as text: it is a bullet.
            const auto font = m_fonts.constFind(m_levelFont);
            if (m_level.nfc == 23 && font != m_fonts.constEnd() && font->symbol)
                m_pnBefore = QStringLiteral("\u2022");
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
                m_overrides.insert(id, ListOverrideDef{id, {-1, -1, -1, -1, -1, -1, -1, -1, -1}});
            }
            s.para.ls = id;
            s.para.ilvl = 0;
        }
        return;
    case Kw::ListTable:
        if (atDocumentLevel())
            s.dest = Dest::ListTable;
        else
            enterSkip();
        return;
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
        m_override = ListOverrideDef();
        m_overrideLs = 0;
        m_overrideLevel = -1;
        return;
    case Kw::LfoLevel:
        if (s.listGroup == 3)
            m_overrideLevel = qMin(m_overrideLevel + 1, 8);
        return;
    case Kw::ListId:
        (s.listGroup == 3 ? m_override.listId : m_list.id) = param;
        return;
    case Kw::Ls: m_overrideLs = param; return;
    case Kw::LevelNfc:
    case Kw::PnFormat: m_level.nfc = param; return;
    case Kw::LevelStartAt:
        // In an override's \lfolevel: where that level starts anew.
        if (s.listGroup == 3 || (s.listGroup == 2 && m_overrideLevel >= 0 && m_stack.size() > 2
                                 && m_stack[m_stack.size() - 2].listGroup == 3)) {
            if (m_overrideLevel >= 0)
                m_override.starts[m_overrideLevel] = qBound(0, param, 32767);
            return;
        }
        m_level.start = qBound(0, param, 32767);
        return;
    case Kw::PnStart: m_level.start = qBound(0, param, 32767); return;
    case Kw::LevelLegal: m_level.legal = param != 0; return;
    case Kw::LevelNoRestart: m_level.noRestart = param != 0; return;
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
        m_levelFont = -1;
        return;
    case Kw::PnLevel: m_level.nfc = param == 0 ? m_level.nfc : param; return;
    case Kw::PnFont: m_levelFont = param; return;
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
    return o != m_overrides.constEnd() && m_listDefs.contains(o->listId);
}

const ListLevelDef *Reader::listLevel(const ParaProps &p) const
{
    if (!listKnown(p))
        return nullptr;
    const ListDef &def = *m_listDefs.constFind(m_overrides.constFind(p.ls)->listId);
    if (def.levels.empty())
        return nullptr;
    return &def.levels[qMin(size_t(p.ilvl), def.levels.size() - 1)];
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

// One list for each \ls, all its levels in it: the labels count across them.
QTextList *Reader::listFor(const ParaProps &p)
{
    if (QTextList *l = m_textLists.value(p.ls)) {
        l->add(m_cursor.block());
        return l;
    }
    if (!listKnown(p))
        return nullptr;
    const ListOverrideDef &o = *m_overrides.constFind(p.ls);
    QTextList *l = m_cursor.createList(listFormat(*m_listDefs.constFind(o.listId), o));
    m_textLists.insert(p.ls, l);
    return l;
}

} // namespace mirka::rtf::detail

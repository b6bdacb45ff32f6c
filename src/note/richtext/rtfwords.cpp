// The reader's control words: what each one does to the group state, the
// tables and the text.
#include "note/richtext/rtfobjects.h"
#include "note/richtext/rtfreaderimpl.h"

namespace mirka::rtf::detail {

void Reader::word(std::string_view w, bool hasParam, int param)
{
    const KwInfo info = m_keywords.find(w);
    const bool star = m_star;
    m_star = false;
    if (star && (info.kw == Kw::None || info.kw == Kw::SkipDest)) {
        enterSkip();
        return;
    }
    State &s = st();
    CharProps &ch = s.ch;
    ParaProps &pa = s.para;
    const bool on = !hasParam || param != 0;
    switch (info.kw) {
    case Kw::None:
        return;
    case Kw::SkipDest:
        enterSkip();
        return;
    case Kw::FontAlt:
        if (s.dest == Dest::FontTable)
            s.dest = Dest::FontAlt;
        else
            enterSkip();
        return;
    case Kw::FontTbl:
        // Text already read was decoded, and its symbols mapped, by the
        // fonts known then: a table after it cannot change them.
        if (m_bodyStarted || !atDocumentLevel()) {
            enterSkip();
            return;
        }
        s.dest = Dest::FontTable;
        m_fontOpen = false;
        return;
    case Kw::ColorTbl:
        if (!atDocumentLevel()) {
            enterSkip();
            return;
        }
        s.dest = Dest::ColorTable;
        m_colors.clear();
        m_colorSet = false;
        m_red = m_green = m_blue = 0;
        return;
    case Kw::Upr:
        s.dest = Dest::Upr;
        return;
    case Kw::Ud:
        if (s.dest == Dest::Upr || s.dest == Dest::Skip)
            s.dest = Dest::Body;
        return;
    case Kw::Ansi: m_docCp = CodePage::get(1252); m_cpDirty = true; return;
    case Kw::Mac: m_docCp = CodePage::get(10000); m_cpDirty = true; return;
    case Kw::Pc: m_docCp = CodePage::get(437); m_cpDirty = true; return;
    case Kw::Pca: m_docCp = CodePage::get(850); m_cpDirty = true; return;
    case Kw::AnsiCpg:
        if (const CodePage *cp = CodePage::get(param))
            m_docCp = cp;
        m_cpDirty = true;
        return;
    case Kw::Deff:
        m_deff = param;
        propsChanged();
        return;
    case Kw::Plain:
        ch = CharProps();
        propsChanged();
        return;
    case Kw::Bold: ch.bold = on; break;
    case Kw::Italic: ch.italic = on; break;
    case Kw::Underline: ch.underline = on; break;
    case Kw::UlNone: ch.underline = false; break;
    case Kw::Strike: ch.strike = on; break;
    case Kw::Super: ch.vpos = on ? 1 : 0; break;
    case Kw::Sub: ch.vpos = on ? 2 : 0; break;
    case Kw::NoSuperSub: ch.vpos = 0; break;
    case Kw::Hidden: ch.hidden = on; break;
    case Kw::Font:
        if (s.dest == Dest::FontTable) {
            commitFont();
            m_fontOpen = true;
            m_fontNum = param;
            m_fontDef = FontDef();
            m_cpDirty = true;
            return;
        }
        if (ch.charType == 2)
            ch.fontEA = param;
        else
            ch.font = param;
        ch.encFont = param;
        break;
    case Kw::AssocFont:
        // The associated font matters for double-byte text only.
        if (ch.charType == 2 && !ch.rtlch) {
            ch.fontEA = param;
            ch.encFont = param;
        }
        break;
    case Kw::AssocBold:
        if (ch.charType == 2 && !ch.rtlch)
            ch.boldEA = on ? 1 : 0;
        break;
    case Kw::AssocItalic:
        if (ch.charType == 2 && !ch.rtlch)
            ch.italicEA = on ? 1 : 0;
        break;
    case Kw::AssocSize:
        if (ch.charType == 2 && !ch.rtlch && hasParam && param > 0)
            ch.sizeEA = qBound(100, qMin(param, 3276) * 50, 163800);
        break;
    case Kw::Rtlch: ch.rtlch = true; break;
    case Kw::Ltrch: ch.rtlch = false; break;
    case Kw::Loch: ch.charType = 0; break;
    case Kw::Hich: ch.charType = 1; break;
    case Kw::Dbch: ch.charType = 2; break;
    case Kw::FontSize:
        if (hasParam && param > 0)
            ch.size = qBound(100, qMin(param, 3276) * 50, 163800);
        break;
    case Kw::MirkaFontSize:
        if (hasParam && param > 0)
            ch.size = qBound(100, param, 163800);
        break;
    case Kw::Cf: ch.fg = qMax(0, param); break;
    case Kw::Bg: ch.bg = qMax(0, param); break;
    case Kw::Pard: pa = ParaProps(); break;
    case Kw::Ql: pa.align = 0; break;
    case Kw::Qr: pa.align = 1; break;
    case Kw::Qc: pa.align = 2; break;
    case Kw::Qj: pa.align = 3; break;
    case Kw::Li: pa.li = clampTwips(param); break;
    case Kw::Ri: pa.ri = clampTwips(param); break;
    case Kw::Fi: pa.fi = clampTwips(param); break;
    case Kw::Sb: pa.sb = qMax(0, clampTwips(param)); break;
    case Kw::Sa: pa.sa = qMax(0, clampTwips(param)); break;
    case Kw::Sl: pa.sl = clampTwips(param); break;
    case Kw::SlMult: pa.slMult = on; break;
    case Kw::Par:
        if (s.dest == Dest::Body) {
            m_ucSkip = 0;
            paragraphEnd();
        }
        return;
    case Kw::SoftBreak:
        if (s.dest == Dest::Body && !m_pendingPar && (m_blockHasContent || !m_run.isEmpty())) {
            m_ucSkip = 0;
            paragraphEnd();
        }
        return;
    case Kw::Cell:
    case Kw::NestCell:
    case Kw::Row:
    case Kw::NestRow:
        if (s.dest == Dest::Body) {
            m_ucSkip = 0;
            const int depth = info.kw == Kw::Cell || info.kw == Kw::Row ? 1 : qMax(2, pa.itap);
            if (info.kw == Kw::Cell || info.kw == Kw::NestCell)
                endCell(depth);
            else
                endRow(depth);
        }
        return;
    case Kw::Trowd:
    case Kw::Cellx:
    case Kw::RowWord:
        rowWord(w, param);
        return;
    case Kw::Intbl: pa.itap = qMax(pa.itap, 1); return;
    case Kw::Itap: pa.itap = qBound(0, param, kMaxTableDepth); return;
    case Kw::Keep:
        if (s.dest == Dest::Body)
            keepGroup(info.ch, star);
        else
            enterSkip();
        return;
    case Kw::KeepPrefix:
        keepGroup(s.dest == Dest::Body ? KeepToPrefix : -1, star);
        return;
    case Kw::DocGroup:
        // Headers, footers and the document information belong to the
        // document, wherever they stand.
        if (s.dest != Dest::Body || m_insert)
            enterSkip();
        else
            keepGroup(KeepToHead, star);
        return;
    case Kw::PageSetup:
        docLevelWord(w, hasParam, param);
        return;
    case Kw::Pict:
        if (s.dest == Dest::Body)
            keepGroup(KeepPicture, star);
        else
            enterSkip();
        return;
    case Kw::Transparent:
        return;
    case Kw::Chftn:
        if (s.dest == Dest::Body) {
            QTextCharFormat f = keptFormat(charFormat(keyFor(ch, 'a')), QByteArrayLiteral("\\chftn "),
                                           QString::number(++m_footnotes));
            f.setProperty(KeptText, f.stringProperty(KeptLabel));
            insertObject(f);
            m_markAt = m_emitted;
        }
        return;
    case Kw::Chatn:
        // The comment's mark goes with the comment that follows.
        if (s.dest == Dest::Body && m_keepPrefix.size() < (1 << 20))
            m_keepPrefix += "\\chatn ";
        return;
    case Kw::Field:
        if (m_fieldDefs.size() < 100000) {
            s.field = int(m_fieldDefs.size());
            m_fieldDefs.emplace_back();
        }
        return;
    case Kw::FldInst:
        if (s.field >= 0 && s.dest == Dest::Body)
            s.dest = Dest::FieldInst;
        else
            enterSkip();
        return;
    case Kw::FldRslt:
        if (s.field >= 0 && s.dest == Dest::Body) {
            FieldDef &f = m_fieldDefs[size_t(s.field)];
            f.resultAt = m_emitted;
            const QString href = hyperlinkOf(f.inst);
            if (!href.isEmpty() && m_links.size() < 100000) {
                ch.link = int(m_links.size());
                m_links.push_back(href);
                break;
            }
        }
        return;
    case Kw::ListTable:
    case Kw::List:
    case Kw::ListLevel:
    case Kw::LevelNfc:
    case Kw::LevelStartAt:
    case Kw::LevelLegal:
    case Kw::LevelNoRestart:
    case Kw::LevelText:
    case Kw::ListId:
    case Kw::ListOverride:
    case Kw::LfoLevel:
    case Kw::Pn:
    case Kw::PnLevel:
    case Kw::PnFormat:
    case Kw::PnStart:
    case Kw::PnText:
    case Kw::PnFont:
        listWord(info.kw, info.kw == Kw::PnFormat || info.kw == Kw::PnLevel || info.kw == Kw::PnText ? int(info.ch)
                 : hasParam                                                                     ? param
                                                                                                : 1);
        return;
    case Kw::Ls:
        if (s.dest == Dest::ListTable)
            listWord(info.kw, param);
        else
            pa.ls = qBound(0, param, 0xFFFF);
        return;
    case Kw::Ilvl: pa.ilvl = qBound(0, param, 8); return;
    case Kw::ListText:
        if (s.dest == Dest::Body) {
            s.dest = Dest::ListText;
            m_listText.clear();
            m_listTextDepth = m_stack.size() - 1;
        } else {
            enterSkip();
        }
        return;
    case Kw::Line:
    case Kw::Tab:
    case Kw::Char: {
        if (m_ucSkip > 0) {
            --m_ucSkip;
            return;
        }
        flushLead();
        const char32_t c = info.kw == Kw::Line ? char32_t(QChar::LineSeparator)
            : info.kw == Kw::Char             ? char32_t(info.ch)
                                              : U'\t';
        put(c);
        return;
    }
    case Kw::Uc:
        s.uc = quint8(qBound(0, param, 16));
        return;
    case Kw::U: {
        // A bare \u names no character: it is an unknown word, with no
        // fallback to skip after it.
        if (!hasParam)
            return;
        flushLead();
        int v = param;
        if (v < 0)
            v += 65536;
        m_ucSkip = s.uc;
        if (v < 0 || v > 0xFFFF) {
            put(0xFFFD);
            return;
        }
        const char16_t u = char16_t(v);
        if (QChar::isHighSurrogate(u)) {
            if (m_high)
                deliver(0xFFFD);
            m_high = u;
            return;
        }
        if (QChar::isLowSurrogate(u)) {
            if (m_high) {
                const char32_t full = QChar::surrogateToUcs4(m_high, u);
                m_high = 0;
                deliver(full);
            } else {
                put(0xFFFD);
            }
            return;
        }
        put(u);
        return;
    }
    case Kw::Bin: {
        const qint64 n = qBound<qint64>(0, qint64(param), qint64(m_size - m_p));
        m_p += n;
        return;
    }
    case Kw::FCharset:
        if (s.dest == Dest::FontTable) {
            m_fontDef.charset = param;
            m_cpDirty = true;
        }
        return;
    case Kw::Cpg:
        if (s.dest == Dest::FontTable) {
            m_fontDef.cpg = param;
            m_cpDirty = true;
        }
        return;
    case Kw::Red: m_red = qBound(0, param, 255); m_colorSet = true; return;
    case Kw::Green: m_green = qBound(0, param, 255); m_colorSet = true; return;
    case Kw::Blue: m_blue = qBound(0, param, 255); m_colorSet = true; return;
    }
    propsChanged();
}

} // namespace mirka::rtf::detail

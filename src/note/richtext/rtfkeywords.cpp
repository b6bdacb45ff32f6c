// The control words the reader knows, with what each one does.
#include "note/richtext/rtfreaderimpl.h"

namespace mirka::rtf::detail {

const Keywords &keywords()
{
    static const Keywords table = [] {
        Keywords t;
        for (const char *d : {"stylesheet", "xe", "tc", "txe", "rxe", "bkmkstart", "bkmkend", "filetbl",
                              "revtbl", "rsidtbl", "pgdsctbl", "nonshppict", "nonesttables",
                              "xmlnstbl", "themedata", "colorschememapping", "latentstyles",
                              "datastore", "generator", "docvar", "template",
                              "fname", "panose", "hlinkbase", "userprops", "private", "mmathPr",
                              "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn", "protusertbl",
                              "wgrffmtfilter", "passwordhash", "blipuid", "picprop",
                              "formfield", "datafield", "background", "fchars", "lchars", "listpicture",
                              "pnseclvl", "listname", "levelnumbers", "shpinst", "shptxt", "sp",
                              "author", "operator", "title", "subject", "keywords", "comment", "doccomm",
                              "company", "manager", "category", "creatim", "revtim", "printim", "buptim",
                              "objdata", "objclass", "objname", "result", "shprslt"})
            t.add(d, KwInfo{Kw::SkipDest});
        const std::pair<const char *, Kw> words[] = {
            {"fonttbl", Kw::FontTbl}, {"falt", Kw::FontAlt}, {"colortbl", Kw::ColorTbl}, {"upr", Kw::Upr}, {"ud", Kw::Ud},
            {"ansi", Kw::Ansi}, {"mac", Kw::Mac}, {"pc", Kw::Pc}, {"pca", Kw::Pca},
            {"ansicpg", Kw::AnsiCpg}, {"deff", Kw::Deff}, {"plain", Kw::Plain}, {"b", Kw::Bold},
            {"i", Kw::Italic}, {"ulnone", Kw::UlNone}, {"strike", Kw::Strike},
            {"striked", Kw::Strike}, {"super", Kw::Super}, {"sub", Kw::Sub},
            {"nosupersub", Kw::NoSuperSub}, {"v", Kw::Hidden}, {"f", Kw::Font},
            {"af", Kw::AssocFont}, {"ab", Kw::AssocBold}, {"ai", Kw::AssocItalic},
            {"afs", Kw::AssocSize}, {"rtlch", Kw::Rtlch}, {"ltrch", Kw::Ltrch}, {"loch", Kw::Loch}, {"hich", Kw::Hich}, {"dbch", Kw::Dbch},
            {"fs", Kw::FontSize}, {"mirkafs", Kw::MirkaFontSize}, {"cf", Kw::Cf},
            {"cb", Kw::Bg}, {"highlight", Kw::Bg}, {"chcbpat", Kw::Bg}, {"pard", Kw::Pard},
            {"ql", Kw::Ql}, {"qr", Kw::Qr}, {"qc", Kw::Qc}, {"qj", Kw::Qj}, {"qd", Kw::Qj},
            {"li", Kw::Li}, {"lin", Kw::Li}, {"ri", Kw::Ri}, {"rin", Kw::Ri}, {"fi", Kw::Fi},
            {"sb", Kw::Sb}, {"sa", Kw::Sa}, {"sl", Kw::Sl}, {"slmult", Kw::SlMult},
            {"par", Kw::Par}, {"line", Kw::Line}, {"lbr", Kw::Line}, {"tab", Kw::Tab},
            {"page", Kw::SoftBreak}, {"sect", Kw::SoftBreak}, {"column", Kw::SoftBreak},
            {"cell", Kw::Cell}, {"nestcell", Kw::NestCell}, {"row", Kw::Row}, {"nestrow", Kw::NestRow},
            {"uc", Kw::Uc}, {"u", Kw::U}, {"bin", Kw::Bin}, {"fcharset", Kw::FCharset},
            {"cpg", Kw::Cpg}, {"red", Kw::Red}, {"green", Kw::Green}, {"blue", Kw::Blue},
        };
        for (const auto &w : words)
            t.add(w.first, KwInfo{w.second});
        const std::pair<const char *, char16_t> kept[] = {
            {"footnote", KeepNote}, {"annotation", KeepComment}, {"object", KeepObject},
            {"shp", KeepShape}, {"shpgrp", KeepShape}, {"do", KeepShape},
        };
        for (const auto &k : kept)
            t.add(k.first, KwInfo{Kw::Keep, k.second});
        for (const char *h : {"header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
                              "footerf", "info"})
            t.add(h, KwInfo{Kw::DocGroup, h[0] == 'f' ? char16_t(KeepFooter) : char16_t(KeepHeader)});
        for (const char *a : {"atnid", "atnauthor", "atntime", "atnref", "atndate", "atnicn", "atrfstart",
                              "atrfend", "atnparent"})
            t.add(a, KwInfo{Kw::KeepPrefix});
        for (const char *w : {"paperw", "paperh", "margl", "margr", "margt", "margb", "gutter",
                              "landscape", "facingp", "margmirror", "titlepg", "pgnstart"})
            t.add(w, KwInfo{Kw::PageSetup});
        const std::pair<const char *, Kw> more[] = {
            {"pict", Kw::Pict}, {"shppict", Kw::Transparent}, {"nesttableprops", Kw::Transparent},
            {"chftn", Kw::Chftn}, {"chatn", Kw::Chatn}, {"field", Kw::Field}, {"fldinst", Kw::FldInst}, {"fldrslt", Kw::FldRslt},
            {"listtable", Kw::ListTable}, {"listoverridetable", Kw::ListTable}, {"list", Kw::List},
            {"listlevel", Kw::ListLevel}, {"levelnfc", Kw::LevelNfc}, {"levelnfcn", Kw::LevelNfc},
            {"levelstartat", Kw::LevelStartAt}, {"levellegal", Kw::LevelLegal}, {"levelnorestart", Kw::LevelNoRestart}, {"leveltext", Kw::LevelText}, {"listid", Kw::ListId},
            {"listoverride", Kw::ListOverride}, {"lfolevel", Kw::LfoLevel}, {"ls", Kw::Ls}, {"ilvl", Kw::Ilvl},
            {"listtext", Kw::ListText}, {"pntext", Kw::ListText}, {"pn", Kw::Pn},
            {"pnstart", Kw::PnStart}, {"pnf", Kw::PnFont},
            {"trowd", Kw::Trowd}, {"cellx", Kw::Cellx}, {"intbl", Kw::Intbl}, {"itap", Kw::Itap},
        };
        for (const auto &m : more)
            t.add(m.first, KwInfo{m.second});
        for (const char *r : {"trleft", "clmgf", "clmrg", "clvmgf", "clvmrg"})
            t.add(r, KwInfo{Kw::RowWord});
        const std::pair<const char *, char16_t> pnFormats[] = {
            {"pndec", 0}, {"pnucrm", 1}, {"pnlcrm", 2}, {"pnucltr", 3}, {"pnlcltr", 4}, {"pnord", 5},
            {"pndbnum", 10}, {"pndbnumd", 11}, {"pnaiu", 12}, {"pniroha", 13}, {"pndecd", 14},
            {"pndbnuml", 16}, {"pndbnumt", 17}, {"pncnum", 18}, {"pnaiud", 20}, {"pnirohad", 21},
            {"pnganada", 24}, {"pnchosung", 25}, {"pnzodiac", 30},
        };
        for (const auto &f : pnFormats)
            t.add(f.first, KwInfo{Kw::PnFormat, f.second});
        // The old-style list levels: body (numbered), bullet, continued (no label).
        t.add("pnlvlbody", KwInfo{Kw::PnLevel, 0});
        t.add("pnlvlblt", KwInfo{Kw::PnLevel, 23});
        t.add("pnlvlcont", KwInfo{Kw::PnLevel, 255});
        t.add("pntxtb", KwInfo{Kw::PnText, 'b'});
        t.add("pntxta", KwInfo{Kw::PnText, 'a'});
        for (const char *u : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave",
                              "ulldash", "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd",
                              "ulthldash", "ululdbwave", "ulw", "ulwave"})
            t.add(u, KwInfo{Kw::Underline});
        const std::pair<const char *, char16_t> chars[] = {
            {"emdash", 0x2014}, {"endash", 0x2013}, {"emspace", 0x2003}, {"enspace", 0x2002},
            {"qmspace", 0x2005}, {"bullet", 0x2022}, {"lquote", 0x2018}, {"rquote", 0x2019},
            {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"zwj", 0x200D}, {"zwnj", 0x200C},
            {"ltrmark", 0x200E}, {"rtlmark", 0x200F}, {"zwbo", 0x200B}, {"zwnbo", 0x2060},
        };
        for (const auto &c : chars)
            t.add(c.first, KwInfo{Kw::Char, c.second});
        return t;
    }();
    return table;
}

} // namespace mirka::rtf::detail

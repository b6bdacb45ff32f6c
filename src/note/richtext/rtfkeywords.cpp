// The control words the reader knows, with what each one does.
#include "note/richtext/rtfreaderimpl.h"

namespace mirka::rtf::detail {

const std::unordered_map<std::string_view, KwInfo> &keywords()
{
    static const std::unordered_map<std::string_view, KwInfo> table = [] {
        std::unordered_map<std::string_view, KwInfo> t;
        for (const char *d : {"pict", "object", "info", "stylesheet", "header", "headerl", "headerr",
                              "headerf", "footer", "footerl", "footerr", "footerf", "footnote",
                              "annotation", "atnid", "atnauthor", "atntime", "atnref", "atndate",
                              "atnicn", "fldinst", "nonshppict", "shp", "shpinst", "shptxt", "sp",
                              "template", "xe", "tc", "txe", "rxe", "bkmkstart", "bkmkend", "filetbl",
                              "revtbl", "rsidtbl", "listtable", "listoverridetable", "pgdsctbl",
                              "xmlnstbl", "themedata", "colorschememapping", "latentstyles",
                              "datastore", "generator", "docvar", "pn", "pntxta", "pntxtb",
                              "fname", "falt", "panose", "author", "operator", "title", "subject",
                              "keywords", "comment", "doccomm", "company", "manager", "category",
                              "hlinkbase", "creatim", "revtim", "printim", "buptim", "userprops",
                              "objdata", "objclass", "objname", "private", "mmathPr", "ftnsep",
                              "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn", "protusertbl",
                              "wgrffmtfilter", "passwordhash", "blipuid", "picprop", "do",
                              "formfield", "datafield", "background", "fchars", "lchars"})
            t.emplace(d, KwInfo{Kw::SkipDest});
        const std::pair<const char *, Kw> words[] = {
            {"fonttbl", Kw::FontTbl}, {"colortbl", Kw::ColorTbl}, {"upr", Kw::Upr}, {"ud", Kw::Ud},
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
            {"cell", Kw::Cell}, {"nestcell", Kw::Cell}, {"row", Kw::Row}, {"nestrow", Kw::Row},
            {"uc", Kw::Uc}, {"u", Kw::U}, {"bin", Kw::Bin}, {"fcharset", Kw::FCharset},
            {"cpg", Kw::Cpg}, {"red", Kw::Red}, {"green", Kw::Green}, {"blue", Kw::Blue},
        };
        for (const auto &w : words)
            t.emplace(w.first, KwInfo{w.second});
        for (const char *u : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave",
                              "ulldash", "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd",
                              "ulthldash", "ululdbwave", "ulw", "ulwave"})
            t.emplace(u, KwInfo{Kw::Underline});
        const std::pair<const char *, char16_t> chars[] = {
            {"emdash", 0x2014}, {"endash", 0x2013}, {"emspace", 0x2003}, {"enspace", 0x2002},
            {"qmspace", 0x2005}, {"bullet", 0x2022}, {"lquote", 0x2018}, {"rquote", 0x2019},
            {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"zwj", 0x200D}, {"zwnj", 0x200C},
            {"ltrmark", 0x200E}, {"rtlmark", 0x200F}, {"zwbo", 0x200B}, {"zwnbo", 0x2060},
        };
        for (const auto &c : chars)
            t.emplace(c.first, KwInfo{Kw::Char, c.second});
        return t;
    }();
    return table;
}

} // namespace mirka::rtf::detail

#pragma once
// What the reader and the writer keep of RTF formatting, and how it maps to
// Qt's text formats. Lengths are in twips in RTF and in pixels at 96 dpi in
// the document (15 twips a pixel), so values survive a round trip exactly.
#include <QColor>
#include <QHashFunctions>
#include <QTextBlockFormat>
#include <QTextCharFormat>

namespace mirka::rtf {

constexpr double kTwipsPerPixel = 15.0;

enum : int {
    // A kept RTF group (footnote, comment, object, shape, picture Qt cannot
    // draw) standing as one character.
    KeptObjectType = QTextFormat::UserObject + 17,
};

enum : int {
    KeptRtf = QTextFormat::UserProperty + 0x4d10, // QByteArray: the group as read
    KeptLabel,                                    // QString: what the placeholder shows
    HiddenText,                                   // bool: \v text
    // int twips: a list item's hanging first-line indent, where its label
    // stands. Qt draws the label left of the text, so the text's own first
    // line starts at the left indent instead, as it does after the label's
    // tab in RTF; or at the tab stop after a label too wide for the indent
    // (the block's text indent then).
    ListLabelIndent,
    // On a list read from RTF (QTextListFormat): its levels, each a
    // QVariantList {nfc, start, text, li, fi, legal, no restart}; the text
    // holds characters 0 to 8 where the numbers of those levels go. Qt draws no label for such
    // a list (its style is undefined): the editor draws listLabel().
    ListLevels,
    ListLevel, // int, on a paragraph of such a list: its level (\ilvl)
    KeptText,  // QString, on a kept item: what a reader sees of it as text
    // On a table cell read from RTF: the RTF cells it stands for (more than
    // one when merged across), each a QVariantList {definition words,
    // left, right} (twips); the cells merged into it from the rows below,
    // a list of such lists; and on a row's first cell, the row's own words.
    RtfCells,
    RtfCellsBelow,
    RtfRow,
};

inline int clampTwips(int v) { return qBound(-31680, v, 31680); }

// Character properties of a group.
struct CharProps {
    int font = -1;    // \f of the single-byte text; -1: \deff
    int fontEA = -1;  // \f after \dbch: double-byte text; -1: the same
    int encFont = -1; // the font whose charset decodes \'hh bytes
    int size = 1200;  // hundredths of a point (\plain: 12 pt)
    int fg = 0;       // colour table index, 0 = automatic
    int bg = 0;
    bool bold = false, italic = false, underline = false, strike = false, hidden = false;
    quint8 vpos = 0;     // 1 superscript, 2 subscript
    quint8 charType = 0; // 0 \loch, 1 \hich, 2 \dbch
    bool rtlch = false;  // after \rtlch the associated properties are right-to-left text's
    // Associated properties (\ab, \ai, \afs) given for double-byte text, as
    // LibreOffice writes Japanese bold and size; -1 / 0: as the single-byte text.
    qint8 boldEA = -1, italicEA = -1;
    int sizeEA = 0;
    int link = 0; // index of the HYPERLINK field whose result this is; 0 none
    bool hasEastAsianProps() const { return fontEA >= 0 || boldEA >= 0 || italicEA >= 0 || sizeEA > 0; }
};

// What a run of text looks like, with the tables resolved to indexes.
struct RunKey {
    int font = -2;
    int size = 0;
    int fg = 0;
    int bg = 0;
    quint8 flags = 0; // 1 bold, 2 italic, 4 underline, 8 strike, vpos << 4, 64 hidden
    int link = 0;
    bool operator==(const RunKey &o) const
    {
        return font == o.font && size == o.size && fg == o.fg && bg == o.bg && flags == o.flags
            && link == o.link;
    }
    bool operator!=(const RunKey &o) const { return !(*this == o); }
};
inline size_t qHash(const RunKey &k, size_t seed = 0)
{
    // Looked up for every run read: the fields folded together and mixed
    // once, rather than once each.
    const quint64 folded = (quint64(quint32(k.font)) * 0x9E3779B97F4A7C15ull) ^ (quint64(quint32(k.size)) << 8)
        ^ (quint64(quint32(k.fg)) << 24) ^ (quint64(quint32(k.bg)) << 40) ^ (quint64(k.flags) << 56)
        ^ (quint64(quint32(k.link)) * 0xC2B2AE3D27D4EB4Full);
    return ::qHash(folded, seed);
}

// Paragraph properties (reset by \pard).
struct ParaProps {
    quint8 align = 0; // 0 left, 1 right, 2 centre, 3 justified
    int li = 0, ri = 0, fi = 0, sb = 0, sa = 0, sl = 0;
    bool slMult = false;
    int itap = 0;        // table nesting depth: \intbl 1, \itapN
    int ls = 0, ilvl = 0; // list override (negative: an old-style \pn list) and level
    bool operator==(const ParaProps &o) const
    {
        return align == o.align && li == o.li && ri == o.ri && fi == o.fi && sb == o.sb && sa == o.sa
            && sl == o.sl && slMult == o.slMult && itap == o.itap && ls == o.ls && ilvl == o.ilvl;
    }
    bool operator!=(const ParaProps &o) const { return !(*this == o); }
};
inline size_t qHash(const ParaProps &p, size_t seed = 0)
{
    return qHashMulti(seed, p.align, p.li, p.ri, p.fi, p.sb, p.sa, p.sl, p.slMult, p.itap, p.ls, p.ilvl);
}

// Applies the non-font parts of a run to a char format.
inline void applyCharProps(QTextCharFormat &f, const RunKey &k, const QColor &fg, const QColor &bg)
{
    f.setFontPointSize(k.size / 100.0);
    if (k.flags & 1)
        f.setFontWeight(QFont::Bold);
    if (k.flags & 2)
        f.setFontItalic(true);
    if (k.flags & 4)
        f.setFontUnderline(true);
    if (k.flags & 8)
        f.setFontStrikeOut(true);
    if (k.flags & 64) {
        // Hidden text stays in view, marked by a dotted underline.
        f.setProperty(HiddenText, true);
        if (!(k.flags & 4))
            f.setUnderlineStyle(QTextCharFormat::DotLine);
    }
    if ((k.flags >> 4) == 1)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if ((k.flags >> 4) == 2)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (fg.isValid())
        f.setForeground(fg);
    if (bg.isValid())
        f.setBackground(bg);
}

// A character format as shown, with the document's default font filling in
// what the format leaves unset.
struct Shown {
    QString family;
    int size = 0; // hundredths of a point
    bool bold = false, italic = false, underline = false, strike = false;
    quint8 vpos = 0;
    QColor fg, bg; // invalid: automatic / none
};
Shown shownFormat(const QTextCharFormat &f, const QFont &documentFont);
// Colours compare by their RGB value: a colour read back from the colour
// table is the same colour, whatever colour model Qt gave it.
bool operator==(const Shown &a, const Shown &b);
inline bool operator!=(const Shown &a, const Shown &b) { return !(a == b); }
// One line for messages about a difference.
QString describe(const Shown &s);

// Whether a paragraph mark gave an empty paragraph a format: the first one
// of a table cell holds the cell's own format, which is none of its.
bool hasOwnCharFormat(const QTextCharFormat &f);
QTextBlockFormat toBlockFormat(const ParaProps &p);
ParaProps fromBlockFormat(const QTextBlockFormat &f);

// 0 left, 1 right, 2 centre, 3 justified, as RTF and the editor number them.
int alignmentOf(const QTextBlockFormat &f);

} // namespace mirka::rtf

#include "note/richtext/rtfformat.h"

#include <algorithm>
#include <cmath>

namespace mirka::rtf {

static double toPixels(int twips) { return twips / kTwipsPerPixel; }
static int toTwips(double px) { return clampTwips(int(std::lround(px * kTwipsPerPixel))); }

Shown shownFormat(const QTextCharFormat &f, const QFont &documentFont)
{
    Shown s;
    const QStringList families = f.property(QTextFormat::FontFamilies).toStringList();
    s.family = families.isEmpty() ? QString() : families.first();
    if (s.family.isEmpty())
        s.family = f.property(QTextFormat::FontFamily).toString();
    if (s.family.isEmpty())
        s.family = documentFont.family();
    double pt = 0;
    if (f.hasProperty(QTextFormat::FontPointSize))
        pt = f.fontPointSize();
    else if (f.hasProperty(QTextFormat::FontPixelSize))
        pt = f.intProperty(QTextFormat::FontPixelSize) * 0.75;
    if (pt <= 0)
        pt = documentFont.pointSizeF() > 0 ? documentFont.pointSizeF() : documentFont.pixelSize() * 0.75;
    s.size = qBound(100, int(std::lround(pt * 100)), 163800);
    s.bold = f.fontWeight() > QFont::Medium;
    s.italic = f.fontItalic();
    s.underline = f.hasProperty(QTextFormat::TextUnderlineStyle)
        ? f.underlineStyle() != QTextCharFormat::NoUnderline
        : f.boolProperty(QTextFormat::FontUnderline);
    s.strike = f.fontStrikeOut();
    switch (f.verticalAlignment()) {
    case QTextCharFormat::AlignSuperScript: s.vpos = 1; break;
    case QTextCharFormat::AlignSubScript: s.vpos = 2; break;
    default: break;
    }
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        s.fg = f.foreground().color();
    if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
        s.bg = f.background().color();
    return s;
}

static bool sameColour(const QColor &a, const QColor &b)
{
    return a.isValid() == b.isValid() && (!a.isValid() || a.rgb() == b.rgb());
}

bool operator==(const Shown &a, const Shown &b)
{
    return a.family == b.family && a.size == b.size && a.bold == b.bold && a.italic == b.italic
        && a.underline == b.underline && a.strike == b.strike && a.vpos == b.vpos && sameColour(a.fg, b.fg)
        && sameColour(a.bg, b.bg);
}

QString describe(const Shown &s)
{
    return QStringLiteral("%1 %2 b%3 i%4 u%5 s%6 v%7 fg%8 bg%9")
        .arg(s.family)
        .arg(s.size)
        .arg(s.bold)
        .arg(s.italic)
        .arg(s.underline)
        .arg(s.strike)
        .arg(s.vpos)
        .arg(s.fg.isValid() ? s.fg.name() : QStringLiteral("auto"))
        .arg(s.bg.isValid() ? s.bg.name() : QStringLiteral("none"));
}

bool hasOwnCharFormat(const QTextCharFormat &f)
{
    const QMap<int, QVariant> props = f.properties();
    return std::any_of(props.keyBegin(), props.keyEnd(), [](int p) {
        return p != QTextFormat::ObjectIndex && p != QTextFormat::ObjectType
            && !(p >= QTextFormat::TableCellRowSpan && p <= QTextFormat::TableCellRightBorderBrush) && p != RtfCells
            && p != RtfCellsBelow && p != RtfRow;
    });
}

QTextBlockFormat toBlockFormat(const ParaProps &p)
{
    QTextBlockFormat f;
    switch (p.align) {
    case 1: f.setAlignment(Qt::AlignRight); break;
    case 2: f.setAlignment(Qt::AlignHCenter); break;
    case 3: f.setAlignment(Qt::AlignJustify); break;
    default: break;
    }
    if (p.li)
        f.setLeftMargin(toPixels(p.li));
    if (p.ri)
        f.setRightMargin(toPixels(p.ri));
    if (p.fi)
        f.setTextIndent(toPixels(p.fi));
    if (p.sb)
        f.setTopMargin(toPixels(p.sb));
    if (p.sa)
        f.setBottomMargin(toPixels(p.sa));
    if (p.sl > 0 && p.slMult)
        f.setLineHeight(p.sl * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    else if (p.sl > 0)
        f.setLineHeight(toPixels(p.sl), QTextBlockFormat::MinimumHeight);
    else if (p.sl < 0)
        f.setLineHeight(toPixels(-p.sl), QTextBlockFormat::FixedHeight);
    return f;
}

int alignmentOf(const QTextBlockFormat &f)
{
    const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter)
        return 2;
    if (a & Qt::AlignJustify)
        return 3;
    if (a & (Qt::AlignRight | Qt::AlignTrailing))
        return 1;
    return 0;
}

ParaProps fromBlockFormat(const QTextBlockFormat &f)
{
    ParaProps p;
    p.align = quint8(alignmentOf(f));
    p.li = toTwips(f.leftMargin());
    p.ri = toTwips(f.rightMargin());
    p.fi = toTwips(f.textIndent());
    if (f.objectIndex() >= 0 && f.hasProperty(ListLabelIndent))
        p.fi = clampTwips(f.intProperty(ListLabelIndent));
    if (f.objectIndex() >= 0)
        p.ilvl = qBound(0, f.intProperty(ListLevel), 8);
    p.sb = qMax(0, toTwips(f.topMargin()));
    p.sa = qMax(0, toTwips(f.bottomMargin()));
    switch (f.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (f.lineHeight() > 0 && f.lineHeight() != 100) {
            p.sl = clampTwips(int(std::lround(f.lineHeight() * 240.0 / 100.0)));
            p.slMult = true;
        }
        break;
    case QTextBlockFormat::MinimumHeight:
        p.sl = qMax(0, toTwips(f.lineHeight()));
        break;
    case QTextBlockFormat::FixedHeight:
        p.sl = -qMax(0, toTwips(f.lineHeight()));
        break;
    default:
        break;
    }
    return p;
}

} // namespace mirka::rtf

// The reader's fields and symbol fonts: HYPERLINK results become links,
// SYMBOL fields without a result show their character, and text in Symbol
// and Wingdings becomes the Unicode characters it shows.
#include "note/richtext/rtfreaderimpl.h"

namespace mirka::rtf::detail {

namespace {

// Symbol, 0x20 to 0xFF (0: not a character).
const char16_t kSymbol[224] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B,
    0x002C, 0x2212, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, 0x2245, 0x0391, 0x0392, 0x03A7,
    0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B,
    0x2234, 0x005D, 0x22A5, 0x005F, 0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3,
    0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194,
    0x2190, 0x2191, 0x2192, 0x2193, 0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022,
    0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135, 0x2111, 0x211C, 0x2118,
    0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209,
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4,
    0x21D0, 0x21D1, 0x21D2, 0x21D3, 0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C,
    0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA, 0,      0x232A, 0x222B, 0x2320,
    0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0,
};

// The Wingdings characters with a Unicode equivalent that notes use.
const std::pair<uchar, char32_t> kWingdings[] = {
    {0x20, 0x0020}, {0x21, 0x270F}, {0x22, 0x2702}, {0x23, 0x2701}, {0x28, 0x260E}, {0x29, 0x2706},
    {0x2A, 0x2709}, {0x36, 0x231B}, {0x37, 0x2328}, {0x3E, 0x2707}, {0x3F, 0x270D}, {0x41, 0x270C},
    {0x43, 0x1F44D}, {0x44, 0x1F44E}, {0x45, 0x261C}, {0x46, 0x261E}, {0x47, 0x261D}, {0x48, 0x261F},
    {0x4A, 0x263A}, {0x4B, 0x1F610}, {0x4C, 0x2639}, {0x4E, 0x2620}, {0x4F, 0x2690}, {0x51, 0x2708},
    {0x52, 0x263C}, {0x54, 0x2744}, {0x56, 0x271E}, {0x58, 0x2720}, {0x59, 0x2721}, {0x5A, 0x262A},
    {0x5B, 0x262F}, {0x5C, 0x0950}, {0x5D, 0x2638}, {0x5E, 0x2648}, {0x5F, 0x2649}, {0x60, 0x264A},
    {0x61, 0x264B}, {0x62, 0x264C}, {0x63, 0x264D}, {0x64, 0x264E}, {0x65, 0x264F}, {0x66, 0x2650},
    {0x67, 0x2651}, {0x68, 0x2652}, {0x69, 0x2653}, {0x6C, 0x25CF}, {0x6D, 0x274D}, {0x6E, 0x25A0},
    {0x6F, 0x25A1}, {0x71, 0x2751}, {0x72, 0x2752}, {0x73, 0x2B27}, {0x74, 0x29EB}, {0x75, 0x25C6},
    {0x76, 0x2756}, {0x77, 0x2B25}, {0x78, 0x2327}, {0x7B, 0x2740}, {0x7C, 0x273F}, {0x7D, 0x275D},
    {0x7E, 0x275E}, {0x9F, 0x2022}, {0xA1, 0x25CB}, {0xA4, 0x25C9}, {0xA7, 0x25AA}, {0xA8, 0x25FB},
    {0xAA, 0x2726}, {0xAB, 0x2605}, {0xAC, 0x2736}, {0xAE, 0x2739}, {0xB1, 0x2316}, {0xD8, 0x27A2},
    {0xDF, 0x2B05}, {0xE0, 0x2B95}, {0xE1, 0x2B06}, {0xE2, 0x2B07}, {0xE8, 0x2794}, {0xEF, 0x21E6},
    {0xF0, 0x21E8}, {0xF1, 0x21E7}, {0xF2, 0x21E9}, {0xF3, 0x2B04}, {0xF4, 0x21F3}, {0xFB, 0x2717},
    {0xFC, 0x2713}, {0xFD, 0x2612}, {0xFE, 0x2611},
};

// The arguments of a field instruction: quoted or bare, with the field
// syntax's doubled backslashes undone.
QStringList fieldArguments(const QString &inst)
{
    QStringList args;
    qsizetype i = 0;
    const qsizetype n = inst.size();
    while (i < n) {
        while (i < n && inst.at(i).isSpace())
            ++i;
        if (i >= n)
            break;
        QString a;
        if (inst.at(i) == QLatin1Char('"')) {
            for (++i; i < n && inst.at(i) != QLatin1Char('"'); ++i) {
                if (inst.at(i) == QLatin1Char('\\') && i + 1 < n && inst.at(i + 1) == QLatin1Char('\\'))
                    ++i;
                a += inst.at(i);
            }
            ++i;
        } else {
            for (; i < n && !inst.at(i).isSpace(); ++i) {
                if (inst.at(i) == QLatin1Char('\\') && i + 1 < n && inst.at(i + 1) == QLatin1Char('\\'))
                    ++i;
                a += inst.at(i);
            }
        }
        args += a;
    }
    return args;
}

} // namespace

char32_t symbolToUnicode(int symbolFont, uchar b)
{
    if (symbolFont == 1)
        return b >= 0x20 ? char32_t(kSymbol[b - 0x20]) : 0;
    if (symbolFont == 2) {
        for (const auto &w : kWingdings) {
            if (w.first == b)
                return w.second;
        }
    }
    return 0;
}

int symbolFontOf(const QString &name)
{
    if (name.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0)
        return 1;
    if (name.compare(QLatin1String("Wingdings"), Qt::CaseInsensitive) == 0)
        return 2;
    return 0;
}

QString Reader::hyperlinkOf(const QString &inst) const
{
    const QStringList args = fieldArguments(inst);
    if (args.isEmpty() || args.first().compare(QLatin1String("HYPERLINK"), Qt::CaseInsensitive) != 0)
        return {};
    QString url, fragment;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a.startsWith(QLatin1Char('\\')) && a.size() == 2) {
            const QChar sw = a.at(1).toLower();
            if (sw == QLatin1Char('l') && i + 1 < args.size())
                fragment = args.at(++i);
            else if ((sw == QLatin1Char('o') || sw == QLatin1Char('t')) && i + 1 < args.size())
                ++i;
            continue;
        }
        if (url.isEmpty())
            url = a;
    }
    if (!fragment.isEmpty())
        url += QLatin1Char('#') + fragment;
    return url;
}

void Reader::fieldEnded(int field)
{
    const FieldDef &f = m_fieldDefs[size_t(field)];
    if (st().dest != Dest::Body || (f.resultAt >= 0 && m_emitted > f.resultAt))
        return;
    const QStringList args = fieldArguments(f.inst);
    if (args.size() < 2 || args.first().compare(QLatin1String("SYMBOL"), Qt::CaseInsensitive) != 0)
        return;
    bool ok = false;
    const uint code = args.at(1).startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
        ? args.at(1).mid(2).toUInt(&ok, 16)
        : args.at(1).toUInt(&ok);
    if (!ok || code == 0 || code > 0xFFFF)
        return;
    int font = 0;
    bool unicode = false;
    for (qsizetype i = 2; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("\\f") && i + 1 < args.size())
            font = symbolFontOf(args.at(++i));
        else if (args.at(i) == QLatin1String("\\u"))
            unicode = true;
    }
    char32_t c = code;
    if (!unicode && code < 0x100) {
        if (font)
            c = symbolToUnicode(font, uchar(code));
        else if (const CodePage *cp = codePageOfFont(st().ch.encFont))
            c = cp->single(uchar(code));
    } else if (font && code >= 0xF020 && code <= 0xF0FF) {
        c = symbolToUnicode(font, uchar(code - 0xF000));
    }
    if (c) {
        m_fromSymbol = font != 0;
        emitBody(c);
        m_fromSymbol = false;
    }
}

} // namespace mirka::rtf::detail

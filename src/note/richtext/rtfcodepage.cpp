#include "note/richtext/rtfcodepage.h"

#include "common/codepage.h"

#include <QStringDecoder>
#include <map>

namespace mirka::rtf {

int codePageForCharset(int charset)
{
    switch (charset) {
    case 0: return 1252;   // ANSI
    case 2: return -1;     // symbol
    case 77: return 10000; // Mac Roman
    case 78: return 10001; // Mac Japanese
    case 128: return 932;  // Shift_JIS
    case 129: return 949;  // Hangul
    case 130: return 1361; // Johab
    case 134: return 936;  // GB2312 / GBK
    case 136: return 950;  // Big5
    case 161: return 1253; // Greek
    case 162: return 1254; // Turkish
    case 163: return 1258; // Vietnamese
    case 177: return 1255; // Hebrew
    case 178: return 1256; // Arabic
    case 186: return 1257; // Baltic
    case 204: return 1251; // Cyrillic
    case 222: return 874;  // Thai
    case 238: return 1250; // Central European
    case 254: return 437;  // PC 437
    case 255: return 850;  // OEM
    default: return 0;     // DEFAULT_CHARSET and the unknown: the document's
    }
}

int charsetForCodePage(int codePage)
{
    switch (codePage) {
    case 932: return 128;
    case 949: return 129;
    case 936: return 134;
    case 950: return 136;
    case 1250: return 238;
    case 1251: return 204;
    case 1253: return 161;
    case 1254: return 162;
    case 1255: return 177;
    case 1256: return 178;
    case 1257: return 186;
    case 1258: return 163;
    case 874: return 222;
    default: return 0;
    }
}

// Converter names to try for each code page, the most exact first.
static QList<const char *> converterNames(int cp)
{
    switch (cp) {
    case 932: return {"windows-31j", "Shift_JIS"};
    case 936: return {"windows-936", "GBK", "GB2312"};
    case 949: return {"windows-949", "CP949", "EUC-KR"};
    case 950: return {"windows-950", "Big5"};
    case 1361: return {"ibm-1361", "Johab"};
    case 874: return {"windows-874", "TIS-620"};
    case 437: return {"IBM437", "cp437"};
    case 850: return {"IBM850", "cp850"};
    case 10000: return {"macintosh", "x-mac-roman"};
    case 10001: return {"x-mac-japanese", "windows-31j"};
    case 1252: return {"windows-1252"};
    case 65001: return {"UTF-8"};
    default:
        if (cp >= 1250 && cp <= 1258) {
            static const char *const names[] = {"windows-1250", "windows-1251", "windows-1252",
                                                "windows-1253", "windows-1254", "windows-1255",
                                                "windows-1256", "windows-1257", "windows-1258"};
            return {names[cp - 1250]};
        }
        return {};
    }
}

// Lead-byte ranges of the double-byte code pages.
static bool leadByte(int cp, int b)
{
    switch (cp) {
    case 932:
    case 10001: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950: return b >= 0x81 && b <= 0xFE;
    case 1361: return (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xDE) || (b >= 0xE0 && b <= 0xF9);
    default: return false;
    }
}

static bool usable(char32_t c)
{
    return c != 0xFFFD && c != 0x1A && !(c >= 0xD800 && c <= 0xDFFF);
}

CodePage::CodePage(int number) : m_number(number)
{
    for (char16_t &c : m_single)
        c = 0xFFFD;
}

bool CodePage::build()
{
    QByteArray name;
    for (const char *n : converterNames(m_number)) {
        QStringDecoder probe(n);
        if (probe.isValid()) {
            name = n;
            break;
        }
    }
    if (name.isEmpty())
        return false;
    for (int b = 0; b < 256; ++b)
        m_lead[b] = leadByte(m_number, b);
    m_dbcs = leadByte(m_number, 0x81) || leadByte(m_number, 0x84);

    // Every byte (and, for double-byte code pages, every lead-trail pair)
    // followed by a line feed, decoded in one go; the line feeds split the
    // results again, so a byte the converter rejects cannot shift the rest.
    QByteArray probe;
    probe.reserve(512);
    for (int b = 0; b < 256; ++b) {
        if (b == '\n')
            continue;
        if (!m_lead[b])
            probe.append(char(b));
        probe.append('\n');
    }
    {
        QStringDecoder dec(name.constData());
        const QStringList parts = QString(dec.decode(probe)).split(QLatin1Char('\n'));
        int i = 0;
        for (int b = 0; b < 256; ++b) {
            if (b == '\n') {
                m_single[b] = u'\n';
                continue;
            }
            const QString &s = i < parts.size() ? parts.at(i) : QString();
            ++i;
            if (m_lead[b])
                continue;
            if (s.size() == 1 && usable(s.at(0).unicode()))
                m_single[b] = s.at(0).unicode();
        }
    }
    if (!m_dbcs)
        return true;

    m_pairs.assign(65536, char16_t(0xFFFD));
    const auto forEachPair = [this](auto &&f) {
        for (int lead = 0x80; lead < 256; ++lead) {
            for (int t = 0x40; m_lead[lead] && t < 256; ++t) {
                if (isTrailByte(uchar(t)))
                    f(lead, t);
            }
        }
    };
    QByteArray pairs;
    pairs.reserve(128 * 192 * 3);
    forEachPair([&](int lead, int t) {
        pairs.append(char(lead));
        pairs.append(char(t));
        pairs.append('\n');
    });
    QStringDecoder dec(name.constData());
    const QString all = dec.decode(pairs);
    qsizetype at = 0;
    forEachPair([&](int lead, int t) {
        qsizetype nl = all.indexOf(QLatin1Char('\n'), at);
        if (nl < 0)
            nl = all.size();
        const QStringView s = QStringView(all).mid(at, nl - at);
        at = nl + 1;
        const quint16 key = quint16(lead << 8 | t);
        if (s.size() == 1 && usable(s.at(0).unicode()))
            m_pairs[key] = s.at(0).unicode();
        else if (s.size() == 2 && s.at(0).isHighSurrogate() && s.at(1).isLowSurrogate())
            m_astral.insert(key, QChar::surrogateToUcs4(s.at(0), s.at(1)));
    });
    return true;
}

char32_t CodePage::astral(unsigned char lead, unsigned char trail) const
{
    return m_astral.value(quint16(lead << 8 | trail), 0xFFFD);
}

void CodePage::buildEncoder() const
{
    m_encode.assign(65536, 0);
    // Several byte sequences can decode to one character (CP932 keeps NEC
    // and IBM copies of some); the first, lowest one is the canonical choice.
    if (m_dbcs) {
        // CP932's NEC-selected copies of the IBM extensions (leads 0xED and
        // 0xEE) are never what Windows writes: they only fill gaps.
        const auto necSelected = [this](int key) {
            return m_number == 932 && ((key >> 8) == 0xED || (key >> 8) == 0xEE);
        };
        for (int pass = 0; pass < 2; ++pass) {
            for (int key = 0xFFFF; key >= 0x8000; --key) {
                if (necSelected(key) != (pass == 1))
                    continue;
                const char16_t c = m_pairs[key];
                if (c == 0xFFFD || c < 0x80)
                    continue;
                if (pass == 0 || !m_encode[c])
                    m_encode[c] = quint16(key);
            }
        }
    }
    // Single bytes win over pairs.
    for (int b = 0xFF; b >= 0x80; --b) {
        if (!m_lead[b] && m_single[b] != 0xFFFD && !(m_single[b] >= 0xE000 && m_single[b] <= 0xF8FF))
            m_encode[m_single[b]] = quint16(b);
    }
    // The characters CP932 holds under another code point (U+301C as its
    // U+FF5E, ...) take the bytes of that one, as every CP932 file does.
    if (m_number == 932) {
        for (char32_t c = 0x80; c < 0x10000; ++c) {
            const char32_t t = mirka::cp932::tableCodePoint(c);
            if (t != c && t < 0x10000 && !m_encode[c])
                m_encode[c] = m_encode[t];
        }
    }
    m_encodeBuilt = true;
}

int CodePage::encode(char16_t c, unsigned char out[2]) const
{
    if (c < 0x80) {
        // Only bytes that read back as themselves (CP932 has no DEL).
        if (m_single[c] != c)
            return 0;
        out[0] = uchar(c);
        return 1;
    }
    if (!m_encodeBuilt)
        buildEncoder();
    const quint16 v = m_encode[c];
    if (!v)
        return 0;
    if (v > 0xFF) {
        out[0] = uchar(v >> 8);
        out[1] = uchar(v & 0xFF);
        return 2;
    }
    out[0] = uchar(v);
    return 1;
}

struct CodePageRegistry {
    std::map<int, std::unique_ptr<CodePage>> pages;
    const CodePage *get(int cp)
    {
        auto it = pages.find(cp);
        if (it != pages.end())
            return it->second.get();
        if (converterNames(cp).isEmpty())
            return nullptr; // not kept: any number may come along
        std::unique_ptr<CodePage> page(new CodePage(cp));
        if (!page->build())
            page.reset();
        return pages.emplace(cp, std::move(page)).first->second.get();
    }
};

const CodePage *CodePage::get(int codePage)
{
    static CodePageRegistry registry;
    return registry.get(codePage);
}

} // namespace mirka::rtf

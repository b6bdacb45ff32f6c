#pragma once
#include <QHash>
#include <QString>
#include <memory>
#include <vector>

// Windows code pages as RTF files use them: \ansicpgN, a font's \fcharsetN
// or \cpgN. Decoding and encoding go through tables built once per code page
// from the system converter, so the hot loops never call a converter.
namespace mirka::rtf {

// The code page a font charset stands for; 0 for "the document's code page"
// (DEFAULT_CHARSET and unknown values), -1 for the symbol charset.
int codePageForCharset(int charset);
// The charset written for a code page in a font table.
int charsetForCodePage(int codePage);

class CodePage {
public:
    // The tables of a code page, or nullptr when the system has no converter
    // for it. Built on first use and kept for the life of the program.
    static const CodePage *get(int codePage);

    int number() const { return m_number; }
    bool isDoubleByte() const { return m_dbcs; }
    // UTF-8 (65001): bytes above 0x7F make characters of up to four bytes,
    // which the reader puts together itself.
    bool isUtf8() const { return m_number == 65001; }
    bool isLeadByte(unsigned char b) const { return m_lead[b]; }
    // A trail byte can follow a lead byte to make one character.
    static bool isTrailByte(unsigned char b) { return b >= 0x40 && b != 0x7F && b != 0xFF; }
    // The characters of lead << 8 | trail (U+FFFD: unmapped, or outside
    // the BMP: ask pair), or nullptr for a single-byte code page.
    const char16_t *pairTable() const { return m_dbcs ? m_pairs.data() : nullptr; }
    // U+FFFD for a byte that maps to nothing.
    char16_t single(unsigned char b) const { return m_single[b]; }
    // One character from a lead and a trail byte, U+FFFD when unmapped.
    char32_t pair(unsigned char lead, unsigned char trail) const
    {
        if (!m_dbcs)
            return 0xFFFD;
        const char16_t c = m_pairs[size_t(lead << 8 | trail)];
        return c != 0xFFFD || m_astral.isEmpty() ? c : astral(lead, trail);
    }

    // The bytes of one BMP character in this code page (1 or 2 bytes, in
    // out[0..]), or 0 when the code page cannot hold it.
    int encode(char16_t c, unsigned char out[2]) const;
    // As encode, but only bytes that read back as this very character:
    // CP932 writes some under a look-alike (U+00A3 as U+FFE1's bytes).
    int encodeExact(char16_t c, unsigned char out[2]) const
    {
        const int n = encode(c, out);
        return n && readsAs(out, n, c) ? n : 0;
    }
    bool readsAs(const unsigned char *b, int n, char16_t c) const
    {
        return n == 1 ? single(b[0]) == c : pair(b[0], b[1]) == c;
    }

private:
    explicit CodePage(int number);
    bool build();
    void buildEncoder() const;
    char32_t astral(unsigned char lead, unsigned char trail) const;

    int m_number;
    bool m_dbcs = false;
    bool m_lead[256] = {};
    char16_t m_single[256];
    std::vector<char16_t> m_pairs;      // lead << 8 | trail, only for DBCS
    QHash<quint16, char32_t> m_astral;  // pairs that decode outside the BMP
    mutable std::vector<quint16> m_encode; // BMP char -> bytes (hi byte = lead), 0 = none
    mutable bool m_encodeBuilt = false;

    friend struct CodePageRegistry;
};

} // namespace mirka::rtf

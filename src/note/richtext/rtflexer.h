#pragma once
// The RTF reader's byte layer: control words, hex escapes and skipped
// groups. Pure functions over the bytes that only ever move forward, so the
// reader built on them stays linear in its input; the fast fuzz target
// drives them alone.
#include <QtGlobal>
#include <cstring>
#include <string_view>

namespace mirka::rtf::detail {

inline bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

struct ControlWord {
    std::string_view word;
    bool hasParam = false;
    int param = 0; // clamped to the int range
};

// The control word whose first letter is at *p: its letters, an optional
// signed number, and the one blank that may delimit it. *p ends after it.
inline ControlWord lexControlWord(const char *data, qsizetype size, qsizetype *p)
{
    qsizetype q = *p;
    const qsizetype start = q;
    while (q < size && isAsciiLetter(data[q]))
        ++q;
    ControlWord w;
    w.word = std::string_view(data + start, size_t(q - start));
    bool negative = false;
    if (q + 1 < size && data[q] == '-' && isAsciiDigit(data[q + 1])) {
        negative = true;
        ++q;
    }
    qint64 value = 0;
    while (q < size && isAsciiDigit(data[q])) {
        w.hasParam = true;
        value = qMin<qint64>(value * 10 + (data[q] - '0'), 0x7FFFFFFF);
        ++q;
    }
    if (q < size && data[q] == ' ')
        ++q;
    w.param = int(negative ? -value : value);
    *p = q;
    return w;
}

struct HexDigits {
    signed char v[256];
    constexpr HexDigits() : v()
    {
        for (int i = 0; i < 256; ++i)
            v[i] = char(i) >= '0' && char(i) <= '9' ? i - '0' : i >= 'a' && i <= 'f' ? i - 'a' + 10
                : i >= 'A' && i <= 'F'              ? i - 'A' + 10
                                                    : -1;
    }
};
inline constexpr HexDigits kHexDigits;

// The value of a hex digit, or -1.
inline int hexDigit(char h) { return kHexDigits.v[uchar(h)]; }

// The byte of the \'hh escape at data[at] when its two hex digits are there
// (before size), else -1.
inline int escapedByte(const char *data, qsizetype size, qsizetype at)
{
    if (at + 3 >= size || data[at] != '\\' || data[at + 1] != '\'')
        return -1;
    const int hi = hexDigit(data[at + 2]), lo = hexDigit(data[at + 3]);
    return (hi | lo) < 0 ? -1 : hi << 4 | lo;
}

// The byte of a \'hh escape whose digits start at *p (at most two), or -1
// when no hex digit follows.
inline int lexHex(const char *data, qsizetype size, qsizetype *p)
{
    int v = 0;
    int digits = 0;
    for (int d; digits < 2 && *p < size && (d = hexDigit(data[*p])) >= 0; ++digits, ++*p)
        v = v * 16 + d;
    return digits ? v : -1;
}

// The byte count of \binN, whose number starts at *p (bounded by size);
// *p ends where the data starts, after the one blank that may follow.
inline qint64 lexBinLength(const char *data, qsizetype size, qsizetype *p)
{
    qsizetype q = *p;
    qint64 n = 0;
    while (q < size && isAsciiDigit(data[q])) {
        n = qMin<qint64>(n * 10 + (data[q] - '0'), size);
        ++q;
    }
    if (q < size && data[q] == ' ')
        ++q;
    *p = q;
    return n;
}

// Skips through a group whose *depth braces are open, counting braces; only
// \binN needs reading on the way, as its N bytes may hold braces. True when
// the group's closing brace was read (*p is after it), false at the end.
inline bool skipGroup(const char *data, qsizetype size, qsizetype *p, int *depth)
{
    qsizetype q = *p;
    while (q < size) {
        const char c = data[q++];
        if (c == '{') {
            ++*depth;
        } else if (c == '}') {
            if (--*depth == 0) {
                *p = q;
                return true;
            }
        } else if (c == '\\' && q < size) {
            if (!isAsciiLetter(data[q])) {
                ++q;
                continue;
            }
            const qsizetype start = q;
            while (q < size && isAsciiLetter(data[q]))
                ++q;
            if (q - start == 3 && std::memcmp(data + start, "bin", 3) == 0) {
                const qint64 n = lexBinLength(data, size, &q);
                q = qMin<qint64>(q + n, size);
            }
        }
    }
    *p = q;
    return false;
}

} // namespace mirka::rtf::detail

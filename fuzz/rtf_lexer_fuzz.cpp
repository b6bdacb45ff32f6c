// The RTF reader's byte layer alone, with no document: control words and
// their parameters, hex escapes, skipped groups with \bin data, the
// control-word table and the code-page decoder. Every step must move
// forward and stay inside the input; this target runs thousands of inputs
// a second where the full ones run hundreds.
#include "note/richtext/rtfcodepage.h"
#include "note/richtext/rtflexer.h"
#include "note/richtext/rtfreaderimpl.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace mirka::rtf;
using namespace mirka::rtf::detail;

static void check(bool ok)
{
    if (!ok)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t length)
{
    static const CodePage *const pages[] = {CodePage::get(932), CodePage::get(1252), CodePage::get(936)};
    const char *data = reinterpret_cast<const char *>(bytes);
    const qsizetype size = qsizetype(length);

    const CodePage *cp = pages[size % 3];
    int lead = -1;
    auto feed = [&](unsigned char b) {
        if (!cp)
            return;
        if (lead >= 0) {
            const char32_t c = CodePage::isTrailByte(b) ? cp->pair(uchar(lead), b) : char32_t(0xFFFD);
            check(c <= 0x10FFFF);
            lead = -1;
            return;
        }
        if (cp->isLeadByte(b))
            lead = b;
        else
            check(cp->single(b) != 0 || b == 0);
    };

    const auto &table = keywords();
    qsizetype p = 0;
    int depth = 0;
    while (p < size) {
        const qsizetype before = p;
        const char c = data[p++];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            --depth;
        } else if (c == '\\' && p < size) {
            if (!isAsciiLetter(data[p])) {
                if (data[p++] == '\'') {
                    const qsizetype at = p;
                    const int v = lexHex(data, size, &p);
                    check(v >= -1 && v <= 255 && p - at <= 2 && (v < 0) == (p == at));
                    if (v >= 0)
                        feed(uchar(v));
                }
            } else {
                const ControlWord w = lexControlWord(data, size, &p);
                check(!w.word.empty() && p <= size);
                check(w.hasParam || w.param == 0);
                const Kw kw = w.word.size() <= size_t(kMaxWordLength) ? table.find(w.word).kw : Kw::None;
                if (kw == Kw::None)
                    continue;
                if (kw == Kw::SkipDest) {
                    int skip = 1;
                    const bool closed = skipGroup(data, size, &p, &skip);
                    check(p <= size && (closed ? skip == 0 : p == size));
                } else if (kw == Kw::Bin) {
                    p += qBound<qsizetype>(0, qsizetype(w.param), size - p);
                } else if (kw == Kw::AnsiCpg) {
                    if (const CodePage *page = CodePage::get(w.param))
                        cp = page;
                }
            }
        } else {
            feed(uchar(c));
        }
        check(p > before && p <= size);
    }
    (void)depth;
    return 0;
}

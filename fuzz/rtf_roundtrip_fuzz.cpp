// The writer and the reader agree: whatever document the reader builds from
// arbitrary bytes, writing it and reading the result back gives the same
// text, the same character format at every character, the same paragraph
// properties, and the same format on every empty paragraph.
#include "fuzzapp.h"
#include "note/richtext/rtf.h"
#include "note/richtext/rtfformat.h"

#include <QTextBlock>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

using mirka::rtf::Shown;

// Each character's shown format; an empty block's own format stands for it.
static std::vector<Shown> formatsOf(const QTextBlock &block, const QFont &font)
{
    std::vector<Shown> out;
    if (block.length() <= 1) {
        out.push_back(mirka::rtf::shownFormat(block.charFormat(), font));
        return out;
    }
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        const Shown s = mirka::rtf::shownFormat(f.charFormat(), font);
        out.insert(out.end(), size_t(f.length()), s);
    }
    return out;
}

[[noreturn]] static void fail(const char *what, int block, const QString &detail, const QByteArray &written)
{
    std::fprintf(stderr, "round trip lost %s in paragraph %d: %s\nwritten: %s\n", what, block,
                 qPrintable(detail), written.constData());
    std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ensureFuzzApplication();
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QTextDocument first;
    if (!mirka::rtf::read(bytes, &first)) {
        bytes.prepend("{\\rtf1 ");
        mirka::rtf::read(bytes, &first);
    }
    const QByteArray written = mirka::rtf::write(&first);
    QTextDocument again;
    if (!mirka::rtf::read(written, &again))
        fail("the document", 0, QString(), written);
    if (first.blockCount() != again.blockCount())
        fail("paragraphs", first.blockCount(),
             QStringLiteral("%1 read back as %2").arg(first.blockCount()).arg(again.blockCount()), written);
    int n = 0;
    for (QTextBlock a = first.begin(), b = again.begin(); a.isValid(); a = a.next(), b = b.next(), ++n) {
        if (a.text() != b.text())
            fail("text", n, a.text() + QStringLiteral(" | ") + b.text(), written);
        if (mirka::rtf::fromBlockFormat(a.blockFormat()) != mirka::rtf::fromBlockFormat(b.blockFormat()))
            fail("paragraph format", n, QString(), written);
        const std::vector<Shown> fa = formatsOf(a, first.defaultFont());
        const std::vector<Shown> fb = formatsOf(b, again.defaultFont());
        for (size_t i = 0; i < fa.size(); ++i) {
            if (fa[i] != fb[i])
                fail("character format", n,
                     QStringLiteral("at %1: %2 | %3").arg(i).arg(mirka::rtf::describe(fa[i]), mirka::rtf::describe(fb[i])), written);
        }
    }
    return 0;
}

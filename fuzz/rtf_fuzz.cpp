// The RTF reader on arbitrary bytes, and the writer, the HTML export and
// plain text on whatever it built: none may crash or hang, the writer's
// output is plain ASCII, and reading that output again gives the same text.
#include "fuzzapp.h"
#include "note/richtext/rtf.h"
#include "note/richtext/rtfobjects.h"

#include <QTextCursor>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ensureFuzzApplication();
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // Inputs that are not RTF are refused; read them as a body too, so
    // that every input reaches the parser.
    QTextDocument doc;
    if (!mirka::rtf::read(bytes, &doc)) {
        if (!doc.isEmpty())
            std::abort(); // a refused input leaves the document alone
        bytes.prepend("{\\rtf1 ");
        mirka::rtf::read(bytes, &doc);
    }
    const QString text = doc.toPlainText();
    mirka::rtf::exportHtml(&doc);
    mirka::rtf::plainText(&doc);
    const QByteArray out = mirka::rtf::write(&doc);
    for (char c : out) {
        if (uchar(c) >= 0x80 || c == '\0')
            std::abort();
    }
    QTextDocument again;
    if (!mirka::rtf::read(out, &again) || again.toPlainText() != text)
        std::abort();

    // A paste into the middle of a document, and a part of it written out.
    QTextDocument target;
    target.setPlainText(QStringLiteral("ab\ncd"));
    QTextCursor cursor(&target);
    cursor.setPosition(1);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    mirka::rtf::insert(bytes, cursor);
    mirka::rtf::write(&target, 1, target.characterCount() / 2);
    return 0;
}

#include "note/quotecapture.h"

#include "note/richtext/richtextbox.h"

#include <QImage>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>
#include <QUuid>
#include <optional>

namespace mirka::quotecapture {

namespace {

constexpr qreal kQuoteIndent = 28;
constexpr int kMaxPictureSide = 8192;

// The passage in a document of its own, where nothing is loaded: pictures
// that are not the passage's own and links that are not web addresses go.
// The changes are made before the marks become pictures, whose positions
// they would shift.
// What the importer would fetch (a "file:" picture, say) never reaches the
// note, whose document would read it from disk.
QTextDocumentFragment cleaned(const Passage &p, QTextDocument *note)
{
    QTextDocument doc;
    doc.setHtml(p.html);
    const QString prefix = QStringLiteral("mirka-capture:%1:").arg(QUuid::createUuid().toString(QUuid::Id128));
    // Collected first: setting a format may merge the fragments walked.
    struct Change {
        int position, length;
        std::optional<QTextCharFormat> format; // none: take it out
    };
    QList<Change> changes;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            QTextCharFormat f = frag.charFormat();
            bool changed = false;
            if (f.isAnchor()) {
                const QString scheme = QUrl(f.anchorHref()).scheme().toLower();
                if (!(scheme == u"http" || scheme == u"https" || scheme == u"ftp" || scheme == u"mailto")) {
                    f.setAnchor(false);
                    f.setAnchorHref(QString());
                    changed = true;
                }
            }
            if (f.isImageFormat()) {
                changes.append({frag.position(), frag.length(), std::nullopt});
                continue;
            }
            if (changed)
                changes.append({frag.position(), frag.length(), f});
        }
    }
    QTextCursor c(&doc);
    for (auto it = changes.crbegin(); it != changes.crend(); ++it) {
        c.setPosition(it->position);
        c.setPosition(it->position + it->length, QTextCursor::KeepAnchor);
        if (it->format)
            c.setCharFormat(*it->format);
        else
            c.removeSelectedText();
    }
    // The passage's pictures stand as marks "\uE000index,width,height\uE001".
    static const QRegularExpression mark(QStringLiteral("\uE000(\\d+),(\\d+),(\\d+)\uE001"));
    for (QTextCursor m = doc.find(mark); !m.isNull(); m = doc.find(mark, m)) {
        const QRegularExpressionMatch parts = mark.match(m.selectedText());
        const int i = parts.captured(1).toInt();
        const QImage picture = i < p.pictures.size() ? QImage::fromData(p.pictures.at(i)) : QImage();
        QTextImageFormat img;
        img.merge(m.charFormat());
        m.removeSelectedText();
        if (picture.isNull() || picture.width() > kMaxPictureSide || picture.height() > kMaxPictureSide)
            continue;
        const QString name = prefix + QString::number(i);
        note->addResource(QTextDocument::ImageResource, QUrl(name), picture);
        img.setName(name);
        img.setWidth(qBound(1, parts.captured(2).toInt(), kMaxPictureSide));
        img.setHeight(qBound(1, parts.captured(3).toInt(), kMaxPictureSide));
        m.insertImage(img);
    }
    return QTextDocumentFragment(&doc);
}

} // namespace

void insert(RichTextBox *box, const Passage &p)
{
    QTextCursor c = box->textCursor();
    c.clearSelection();
    c.beginEditBlock();
    // The quotation starts a paragraph of its own.
    if (!c.atBlockStart())
        c.insertBlock();
    const QTextCharFormat before = c.charFormat();
    const int start = c.position();
    c.insertFragment(cleaned(p, box->document()));
    const int end = c.position();
    QTextCursor block(box->document());
    block.setPosition(start);
    while (true) {
        QTextBlockFormat f = block.blockFormat();
        f.setLeftMargin(f.leftMargin() + kQuoteIndent);
        block.setBlockFormat(f);
        if (block.block().position() + block.block().length() > end || !block.movePosition(QTextCursor::NextBlock))
            break;
    }

    QTextCharFormat plain = before;
    plain.setAnchor(false);
    plain.setAnchorHref(QString());
    plain.clearProperty(QTextFormat::FontWeight);
    plain.setFontItalic(false);
    plain.setFontUnderline(false);
    plain.clearForeground();
    c.insertBlock(QTextBlockFormat(), plain);
    c.insertText(QStringLiteral("出典: "), plain);
    QTextCharFormat link = plain;
    link.setAnchor(true);
    link.setAnchorHref(p.address);
    link.setForeground(QColor(0, 0, 255));
    link.setFontUnderline(true);
    c.insertText(p.title.isEmpty() ? p.address : p.title, link);
    c.insertText(QStringLiteral("（%1 記録）").arg(p.taken.toString(QStringLiteral("yyyy/MM/dd HH:mm"))), plain);
    c.insertBlock(QTextBlockFormat(), plain);
    c.endEditBlock();
    box->setTextCursor(c);
    box->ensureCursorVisible();
}

} // namespace mirka::quotecapture

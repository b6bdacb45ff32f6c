#include "note/noteprint.h"

#include "common/apptitle.h"
#include "common/dialogs.h"
#include "common/fileerror.h"
#include "common/fonts.h"
#include "common/savefile.h"
#include "note/frmDocument.h"
#include "model/note.h"
#include "note/richtext/richtextbox.h"
#include "note/richtext/rtfobjects.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHash>
#include <QLineEdit>
#include <QListWidget>
#include <QPdfWriter>
#include <QPrinter>
#include <QRawFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

namespace mirka::noteprint {

namespace {

const QString kDefaultTheme = QStringLiteral("テーマ名");

// Qt writes a font without TrueType outlines (CFF, as in Noto CJK) with a
// character map that turns digits into nothing and some kanji into radicals,
// so such text cannot be found or copied from the PDF.
bool embedsWell(const QString &family)
{
    QFont f(family);
    f.setStyleStrategy(QFont::NoFontMerging);
    const QRawFont raw = QRawFont::fromFont(f);
    return raw.isValid() && !raw.fontTable("glyf").isEmpty();
}

QString japaneseFace()
{
    static const QString face = [] {
        for (const QString &f : {gothicFamily(), QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
                                 QStringLiteral("IPAGothic"), QStringLiteral("TakaoPGothic"),
                                 QStringLiteral("VL PGothic"), QStringLiteral("Droid Sans Fallback")})
            if (fontInstalled(f) && embedsWell(f))
                return f;
        return gothicFamily();
    }();
    return face;
}

// Every run in faces a PDF keeps readable, with the Japanese face behind it
// for the characters its own face lacks.
void useEmbeddableFaces(QTextDocument *doc)
{
    QHash<QString, QStringList> chosen;
    auto facesFor = [&](const QString &family) {
        auto it = chosen.find(family);
        if (it == chosen.end())
            it = chosen.insert(family, QStringList{embeddableFamily(family), japaneseFace()});
        return *it;
    };
    const QFont base = doc->defaultFont();
    QFont faces = base;
    faces.setFamilies(facesFor(base.family()));
    doc->setDefaultFont(faces);
    // Collected first: setting a format may merge the fragments walked.
    struct Run {
        int start, end;
        QTextCharFormat format;
    };
    QList<Run> runs;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            runs.append({frag.position(), frag.position() + frag.length(), frag.charFormat()});
        }
    }
    QTextCursor c(doc);
    for (Run &r : runs) {
        const QStringList families = r.format.fontFamilies().toStringList();
        r.format.setFontFamilies(facesFor(families.isEmpty() ? base.family() : families.first()));
        c.setPosition(r.start);
        c.setPosition(r.end, QTextCursor::KeepAnchor);
        c.setCharFormat(r.format);
    }
}

void addPages(QTextCursor &c, const frmDocument &note)
{
    const QList<RecordedPage> &pages = note.note->pages();
    if (pages.isEmpty())
        return;

    QTextBlockFormat heading;
    heading.setTopMargin(18);
    heading.setBottomMargin(6);
    heading.setHeadingLevel(2);
    QTextCharFormat headingText;
    headingText.setFontPointSize(13);
    headingText.setFontWeight(QFont::Bold);
    c.insertBlock(heading, headingText);
    c.insertText(QStringLiteral("記録したページ"));

    QTextBlockFormat entry;
    entry.setTopMargin(6);
    QTextBlockFormat detail;
    detail.setLeftMargin(18);
    QTextCharFormat plain;
    QTextCharFormat title = plain;
    title.setFontWeight(QFont::Bold);
    for (int i = 0; i < pages.size(); ++i) {
        c.insertBlock(entry, title);
        c.insertText(QStringLiteral("%1. %2").arg(i + 1).arg(pages[i].title));
        QTextCharFormat link = plain;
        link.setAnchor(true);
        link.setAnchorHref(pages[i].address);
        link.setForeground(QColor(0, 0, 192));
        c.insertBlock(detail, plain);
        c.insertText(pages[i].address, link);
        if (pages[i].recorded.isValid()) {
            c.insertBlock(detail, plain);
            c.insertText(QStringLiteral("記録日時: ")
                         + pages[i].recorded.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm")));
        }
    }
}

void setUpPaper(QPagedPaintDevice *device)
{
    // No margins of the device: the document adds its own 20 mm and the
    // page numbers inside them.
    device->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
}

} // namespace

QString embeddableFamily(const QString &family)
{
    static QHash<QString, QString> known;
    auto it = known.find(family);
    if (it == known.end())
        it = known.insert(family, embedsWell(family) ? family : japaneseFace());
    return *it;
}

std::unique_ptr<QTextDocument> printable(const frmDocument &note)
{
    std::unique_ptr<QTextDocument> doc = rtf::copyOf(note.rtfText->document());
    rtf::KeptObjectHandler::install(doc.get());
    const QString theme = note.Text1->text().trimmed();
    doc->setMetaInformation(QTextDocument::DocumentTitle, theme == kDefaultTheme ? QString() : theme);
    if (!doc->metaInformation(QTextDocument::DocumentTitle).isEmpty()) {
        // A paragraph of its own before the body's first.
        QTextCursor top(doc.get());
        top.insertBlock(top.blockFormat(), top.charFormat());
        top.movePosition(QTextCursor::Start);
        QTextBlockFormat heading;
        heading.setBottomMargin(12);
        heading.setHeadingLevel(1);
        top.setBlockFormat(heading);
        QTextCharFormat text;
        text.setFontPointSize(16);
        text.setFontWeight(QFont::Bold);
        top.insertText(theme, text);
    }
    QTextCursor end(doc.get());
    end.movePosition(QTextCursor::End);
    addPages(end, note);
    useEmbeddableFaces(doc.get());
    return doc;
}

void draw(const QTextDocument &doc, QPagedPaintDevice *device)
{
    setUpPaper(device);
    doc.print(device);
}

void printNote(frmDocument *note)
{
    const std::unique_ptr<QTextDocument> doc = printable(*note);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(doc->metaInformation(QTextDocument::DocumentTitle));
    setUpPaper(&printer);
    // The preview redraws on every change of its page setup, keeping the
    // user's paper and margins.
    dialogs().printPreview(note, &printer, [&doc](QPrinter *p) { doc->print(p); });
}

bool exportPdf(frmDocument *note)
{
    FileDialogRequest request;
    request.save = true;
    request.title = QStringLiteral("PDFとして書き出す");
    request.filter = QStringLiteral("PDF ファイル (*.pdf)|*.pdf");
    const QFileInfo notePath(note->Caption());
    if (notePath.isAbsolute())
        request.initialFile = notePath.path() + u'/' + notePath.completeBaseName() + QStringLiteral(".pdf");
    request.confirmOverwrite = true;
    QString path = dialogs().fileName(note, request);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");

    const std::unique_ptr<QTextDocument> doc = printable(*note);
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setTitle(doc->metaInformation(QTextDocument::DocumentTitle));
        pdf.setCreator(appTitle());
        draw(*doc, &pdf);
    }
    QString error;
    if (writeFileAtomically(path, bytes, &error))
        return true;
    MsgBox(fileFailureMessage(QStringLiteral("PDFを書き出せませんでした。"), path, error), MsgButtons::OK,
           QString(), note);
    return false;
}

} // namespace mirka::noteprint

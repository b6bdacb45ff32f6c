#include "note/richtext/richtextbox.h"

#include "common/fonts.h"
#include "common/savefile.h"
#include "common/twips.h"
#include "note/richtext/longdocument.h"
#include "note/richtext/rtf.h"
#include "note/richtext/rtfformat.h"
#include "note/richtext/rtfobjects.h"

#include <QAbstractTextDocumentLayout>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextImageFormat>
#include <QUrl>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <cmath>
#include <vector>

// Changes made while an input event is handled are reported once, when the
// event is done; a click always counts as one, even where the caret stays.
class RichTextBox::InputScope {
public:
    InputScope(RichTextBox *box, bool click) : m_box(box), m_click(click) { ++box->m_inputDepth; }
    ~InputScope()
    {
        if (--m_box->m_inputDepth > 0)
            return;
        const bool report = m_click || m_box->m_inputMoved || m_box->m_inputEdited;
        m_box->m_inputMoved = m_box->m_inputEdited = false;
        if (report)
            emit m_box->SelChange();
    }

private:
    RichTextBox *m_box;
    bool m_click;
};

QFont RichTextBox::defaultBodyFont() { return mirka::gothicFont(11.25); }

RichTextBox::RichTextBox(QWidget *parent) : QTextEdit(parent)
{
    // Every document the editor shows is its own child, which setDocument
    // leaves alone: a load can put the one before back.
    setDocument(new QTextDocument(this));
    const QFont body = defaultBodyFont();
    setFont(body);
    document()->setDefaultFont(body);
    mirka::rtf::KeptObjectHandler::install(document());
    mirka::rtf::supportLongDocuments(this);
    connect(this, &QTextEdit::cursorPositionChanged, this, &RichTextBox::caretMoved);
    connect(this, &QTextEdit::selectionChanged, this, &RichTextBox::caretMoved);
    connect(this, &QTextEdit::currentCharFormatChanged, this, [this] { invalidateSelState(); });
    connect(this, &QTextEdit::textChanged, this, [this] {
        invalidateSelState();
        if (m_inputDepth > 0)
            m_inputEdited = true;
    });
}

void RichTextBox::caretMoved()
{
    invalidateSelState();
    const QTextCursor c = textCursor();
    if (c.position() == m_lastPosition && c.anchor() == m_lastAnchor)
        return;
    m_lastPosition = c.position();
    m_lastAnchor = c.anchor();
    if (m_inputDepth > 0)
        m_inputMoved = true;
    else
        emit SelChange();
}

void RichTextBox::keyPressEvent(QKeyEvent *e)
{
    InputScope scope(this, false);
    // Undo and redo on the keys a writer knows, whatever the desktop's
    // own binding for redo is.
    if (e->modifiers() == Qt::ControlModifier && (e->key() == Qt::Key_Z || e->key() == Qt::Key_Y)) {
        if (e->key() == Qt::Key_Z)
            undo();
        else
            redo();
        invalidateSelState();
        e->accept();
        return;
    }
    QTextEdit::keyPressEvent(e);
}

void RichTextBox::inputMethodEvent(QInputMethodEvent *e)
{
    InputScope scope(this, false);
    QTextEdit::inputMethodEvent(e);
}

void RichTextBox::mousePressEvent(QMouseEvent *e)
{
    InputScope scope(this, true);
    QTextEdit::mousePressEvent(e);
}

void RichTextBox::mouseMoveEvent(QMouseEvent *e)
{
    InputScope scope(this, false);
    QTextEdit::mouseMoveEvent(e);
}

void RichTextBox::mouseReleaseEvent(QMouseEvent *e)
{
    InputScope scope(this, false);
    QTextEdit::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && (e->modifiers() & Qt::ControlModifier)
        && !textCursor().hasSelection()) {
        const QString href = anchorAt(e->position().toPoint());
        if (!href.isEmpty())
            emit linkActivated(href);
    }
}

void RichTextBox::mouseDoubleClickEvent(QMouseEvent *e)
{
    InputScope scope(this, true);
    QTextEdit::mouseDoubleClickEvent(e);
}

void RichTextBox::dropEvent(QDropEvent *e)
{
    InputScope scope(this, false);
    QTextEdit::dropEvent(e);
}

void RichTextBox::contextMenuEvent(QContextMenuEvent *e)
{
    // The menu shows the keys this editor answers to.
    QMenu *menu = createStandardContextMenu(e->pos());
    if (QAction *redo = menu->findChild<QAction *>(QStringLiteral("edit-redo")))
        redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    menu->exec(e->globalPos());
    delete menu;
}

void RichTextBox::paintEvent(QPaintEvent *e)
{
    QTextEdit::paintEvent(e);
    QPainter painter(viewport());
    mirka::rtf::paintListLabels(this, painter, e->rect());
}

bool RichTextBox::viewportEvent(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(e);
        const QPointF at = help->pos() + QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
        const int pos = document()->documentLayout()->hitTest(at, Qt::ExactHit);
        QString tip;
        if (pos >= 0) {
            QTextCursor c(document());
            c.setPosition(pos);
            c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
            tip = mirka::rtf::keptTip(c.charFormat());
        }
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    return QTextEdit::viewportEvent(e);
}

// ---- files

bool RichTextBox::LooksLikeRtf(const QByteArray &bytes) { return mirka::rtf::looksLikeRtf(bytes); }

bool RichTextBox::LoadFile(const QString &path, const mirka::rtf::Progress &progress)
{
    QByteArray bytes;
    if (!mirka::readWholeFile(path, &bytes))
        return false;
    return LoadRtf(bytes, progress);
}

bool RichTextBox::LoadRtf(const QByteArray &rtf, const mirka::rtf::Progress &progress)
{
    if (!mirka::rtf::looksLikeRtf(rtf))
        return false;
    // Progress in thousandths: reading, then handing over and laying out.
    constexpr qsizetype kRead = 800, kAll = 1000;
    const auto report = [&progress](qsizetype done) { return !progress || progress(done, kAll); };
    auto *doc = new QTextDocument(this);
    doc->setDefaultFont(defaultBodyFont());
    const bool read = mirka::rtf::read(rtf, doc, progress ? mirka::rtf::Progress([&](qsizetype done, qsizetype total) {
        return report(total > 0 ? done * kRead / total : 0);
    }) : mirka::rtf::Progress());
    if (!read || !report(kRead)) {
        mirka::rtf::deleteInSlices(doc);
        return false;
    }
    doc->setModified(false);
    // The document's layout is made apart from the handover, with events
    // between them: each goes through every paragraph.
    mirka::rtf::KeptObjectHandler::install(doc);
    if (!report(kRead)) {
        mirka::rtf::deleteInSlices(doc);
        return false;
    }
    QTextDocument *old = document();
    replaceDocument(doc);
    // A long note is laid out a slice at a time, the program answering
    // between slices; Cancel leaves the note as it was.
    for (int done = 0, total = 1;;) {
        if (!report(kRead + qsizetype(done) * (kAll - kRead) / qMax(1, total))) {
            replaceDocument(old);
            mirka::rtf::deleteInSlices(doc);
            return false;
        }
        if (mirka::rtf::layOutSlice(doc, 20, &done, &total))
            break;
    }
    mirka::rtf::supportLongDocuments(this);
    if (old && old->parent() == this)
        mirka::rtf::deleteInSlices(old);
    return true;
}

void RichTextBox::replaceDocument(QTextDocument *doc)
{
    // The handler first: lines laid out without it keep a kept item's
    // height at nothing, and its label is drawn over the line above.
    mirka::rtf::KeptObjectHandler::install(doc);
    setDocument(doc);
    mirka::rtf::supportLongDocuments(this);
    setCurrentCharFormat(QTextCursor(doc).charFormat());
    invalidateSelState();
    emit ContentReplaced();
}

QByteArray RichTextBox::RtfBytes() const { return mirka::rtf::write(document()); }

bool RichTextBox::SaveFile(const QString &path, QString *error)
{
    return mirka::writeFileAtomically(path, RtfBytes(), error);
}

QString RichTextBox::Text() const { return toPlainText(); }

void RichTextBox::setText(const QString &text)
{
    setPlainText(text);
    setCurrentCharFormat(QTextCharFormat());
    invalidateSelState();
    emit ContentReplaced();
}

// ---- selection state

const RichTextBox::SelState &RichTextBox::selState() const
{
    if (!m_selState)
        m_selState = computeSelState();
    return *m_selState;
}

namespace {

// Folds one value into a tri-state: the first sets it, a different one
// makes it mixed for good.
template<typename T> struct Fold {
    std::optional<T> value;
    bool mixed = false;
    bool any() const { return value || mixed; }
    void add(const T &v)
    {
        if (mixed)
            return;
        if (!value) {
            value = v;
        } else if (!(*value == v)) {
            value.reset();
            mixed = true;
        }
    }
};

} // namespace

RichTextBox::SelState RichTextBox::computeSelState() const
{
    const QTextDocument *doc = document();
    const QFont docFont = doc->defaultFont();
    const QColor text = palette().color(QPalette::Text);
    const QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();

    Fold<bool> bold, italic, underline;
    Fold<QString> family;
    Fold<int> size;
    Fold<QRgb> color;
    Fold<int> align;
    const auto addChar = [&](const QTextCharFormat &f) {
        const mirka::rtf::Shown s = mirka::rtf::shownFormat(f, docFont);
        bold.add(s.bold);
        italic.add(s.italic);
        underline.add(s.underline);
        family.add(s.family);
        size.add(s.size);
        color.add((s.fg.isValid() ? s.fg : text).rgb());
    };
    const auto addBlock = [&](const QTextBlockFormat &f) {
        const int a = mirka::rtf::alignmentOf(f);
        align.add(a == 3 ? 0 : a);
    };
    const auto allMixed = [&] {
        return bold.mixed && italic.mixed && underline.mixed && family.mixed && size.mixed && color.mixed
            && align.mixed;
    };

    if (start == end) {
        addChar(cursor.charFormat());
        addBlock(cursor.blockFormat());
    } else {
        // Walk the formatting runs, each distinct format once: the cost is
        // the number of runs, not of characters.
        const QList<QTextFormat> formats = doc->allFormats();
        std::vector<char> seen(size_t(formats.size()), 0);
        const auto isNew = [&](int index) {
            if (index < 0 || index >= int(seen.size()) || seen[size_t(index)])
                return false;
            seen[size_t(index)] = 1;
            return true;
        };
        for (QTextBlock block = doc->findBlock(start); block.isValid() && block.position() < end;
             block = block.next()) {
            const int blockIndex = block.blockFormatIndex();
            if (isNew(blockIndex))
                addBlock(formats.at(blockIndex).toBlockFormat());
            const int bpos = block.position();
            const bool whole = bpos >= start && bpos + block.length() - 1 <= end;
            for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment frag = it.fragment();
                if (!whole) {
                    const int fpos = frag.position();
                    if (fpos + frag.length() <= start || fpos >= end)
                        continue;
                }
                const int index = frag.charFormatIndex();
                if (isNew(index))
                    addChar(formats.at(index).toCharFormat());
            }
            if (allMixed())
                break;
        }
        if (!bold.any())
            addChar(cursor.charFormat()); // only paragraph marks selected
    }

    SelState s;
    s.bold = bold.value;
    s.italic = italic.value;
    s.underline = underline.value;
    s.family = family.value;
    if (size.value)
        s.size = *size.value / 100.0;
    if (color.value)
        s.color = QColor::fromRgb(*color.value);
    s.alignment = align.value;
    return s;
}

std::optional<bool> RichTextBox::SelBold() const { return selState().bold; }
std::optional<bool> RichTextBox::SelItalic() const { return selState().italic; }
std::optional<bool> RichTextBox::SelUnderline() const { return selState().underline; }
std::optional<int> RichTextBox::SelAlignment() const { return selState().alignment; }
std::optional<QString> RichTextBox::SelFontName() const { return selState().family; }
std::optional<double> RichTextBox::SelFontSize() const { return selState().size; }
std::optional<QColor> RichTextBox::SelColor() const { return selState().color; }

void RichTextBox::mergeFormat(const QTextCharFormat &f)
{
    mergeCurrentCharFormat(f);
    invalidateSelState();
}

void RichTextBox::setSelBold(bool on)
{
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    mergeFormat(f);
}

void RichTextBox::setSelItalic(bool on)
{
    QTextCharFormat f;
    f.setFontItalic(on);
    mergeFormat(f);
}

void RichTextBox::setSelUnderline(bool on)
{
    QTextCharFormat f;
    f.setFontUnderline(on);
    mergeFormat(f);
}

void RichTextBox::setSelAlignment(int alignment)
{
    Qt::Alignment a;
    switch (alignment) {
    case 0: a = Qt::AlignLeft; break;
    case 1: a = Qt::AlignRight; break;
    case 2: a = Qt::AlignHCenter; break;
    default: return;
    }
    QTextBlockFormat f;
    f.setAlignment(a);
    QTextCursor c = textCursor();
    c.mergeBlockFormat(f);
    invalidateSelState();
}

void RichTextBox::setSelFontName(const QString &name)
{
    if (name.trimmed().isEmpty())
        return;
    QTextCharFormat f;
    f.setFontFamilies(QStringList(name));
    mergeFormat(f);
}

void RichTextBox::setSelFontSize(double points)
{
    if (!std::isfinite(points) || points <= 0)
        return;
    QTextCharFormat f;
    f.setFontPointSize(qBound(1.0, std::round(points * 100) / 100, 1638.0));
    mergeFormat(f);
}

void RichTextBox::setSelColor(const QColor &color)
{
    if (!color.isValid())
        return;
    QTextCharFormat f;
    f.setForeground(QColor::fromRgb(color.rgb()));
    mergeFormat(f);
}

// ---- selection text

QString RichTextBox::SelRTF() const
{
    const QTextCursor c = textCursor();
    return QString::fromLatin1(mirka::rtf::write(document(), c.selectionStart(), c.selectionEnd()));
}

void RichTextBox::setSelRTF(const QString &rtf)
{
    QTextCursor c = textCursor();
    if (rtf.isEmpty()) {
        c.removeSelectedText();
    } else {
        const QByteArray bytes = mirka::rtf::fromString(rtf);
        if (!mirka::rtf::insert(bytes, c))
            c.insertText(rtf);
    }
    setTextCursor(c);
    invalidateSelState();
}

QString RichTextBox::SelText() const
{
    QString s = textCursor().selectedText();
    s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    s.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return s;
}

void RichTextBox::setSelText(const QString &text)
{
    QTextCursor c = textCursor();
    c.insertText(text);
    setTextCursor(c);
    invalidateSelState();
}

// ---- clipboard

QStringList RichTextBox::rtfMimeTypes()
{
    QStringList types{QStringLiteral("text/rtf"), QStringLiteral("text/richtext"),
                      QStringLiteral("application/rtf")};
#ifdef _WIN32
    types.prepend(QStringLiteral("application/x-qt-windows-mime;value=\"Rich Text Format\""));
#endif
    return types;
}

QMimeData *RichTextBox::createMimeDataFromSelection() const
{
    const QTextCursor c = textCursor();
    auto *m = new QMimeData;
    // As a reader sees it: list labels, footnote marks.
    m->setText(mirka::rtf::plainText(document(), c.selectionStart(), c.selectionEnd()));
    m->setHtml(QTextDocumentFragment(c).toHtml());
    const QByteArray rtf = mirka::rtf::write(document(), c.selectionStart(), c.selectionEnd());
    for (const QString &type : rtfMimeTypes())
        m->setData(type, rtf);
    return m;
}

bool RichTextBox::canInsertFromMimeData(const QMimeData *source) const
{
    if (!source)
        return false;
    if (source->hasText() || source->hasHtml() || source->hasImage()
        || source->hasFormat(recordedPageMimeType()))
        return true;
    for (const QString &type : rtfMimeTypes())
        if (source->hasFormat(type))
            return true;
    return false;
}

void RichTextBox::insertFromMimeData(const QMimeData *source) { pasteFrom(source); }

void RichTextBox::pasteFrom(const QMimeData *source)
{
    const QString text = source ? source->text() : QString();
    if (source && !mirka::rtf::looksLikeRtf(mirka::rtf::fromString(text))) {
        QTextCursor c = textCursor();
        if (insertFormatted(source, c)) {
            setTextCursor(c);
            invalidateSelState();
            return;
        }
    }
    setSelRTF(text);
}

// What other programs (and our own list of pages) offer beyond plain text,
// the richest first: a recorded page as a link, RTF, a picture, HTML.
bool RichTextBox::insertFormatted(const QMimeData *source, QTextCursor &c)
{
    if (source->hasFormat(recordedPageMimeType())) {
        const QStringList page = QString::fromUtf8(source->data(recordedPageMimeType())).split(u'\n');
        if (page.size() >= 2 && !page.at(1).isEmpty()) {
            QTextCharFormat link = c.charFormat();
            link.setAnchor(true);
            link.setAnchorHref(page.at(1));
            link.setForeground(QColor(0, 0, 255));
            link.setFontUnderline(true);
            c.insertText(page.at(0).isEmpty() ? page.at(1) : page.at(0), link);
            return true;
        }
    }
    for (const QString &type : rtfMimeTypes()) {
        const QByteArray rtf = source->data(type);
        if (mirka::rtf::looksLikeRtf(rtf) && mirka::rtf::insert(rtf, c))
            return true;
    }
    if (source->hasImage()) {
        // A picture from the clipboard or a browser page is kept in the
        // document (and saved as PNG).
        const QImage image = qvariant_cast<QImage>(source->imageData());
        if (!image.isNull()) {
            static int pasted = 0;
            const QString name = QStringLiteral("mirka-pasted:%1").arg(++pasted);
            document()->addResource(QTextDocument::ImageResource, QUrl(name), image);
            QTextImageFormat f;
            f.setName(name);
            f.setWidth(image.width());
            f.setHeight(image.height());
            c.insertImage(f);
            return true;
        }
    }
    if (source->hasHtml()) {
        c.insertFragment(QTextDocumentFragment::fromHtml(source->html(), document()));
        return true;
    }
    return false;
}

// ---- geometry

bool RichTextBox::Move(int left, int top, int width, int height)
{
    if (width < 0 || height < 0)
        return false;
    setGeometry(mirka::twips::toPixels(left, top, width, height));
    m_twipsWidth = width;
    m_twipsHeight = height;
    m_movedSize = size();
    return true;
}

int RichTextBox::Width() const
{
    if (m_twipsWidth >= 0 && size() == m_movedSize)
        return m_twipsWidth;
    return mirka::twips::fromPixelsX(width());
}

int RichTextBox::Height() const
{
    if (m_twipsHeight >= 0 && size() == m_movedSize)
        return m_twipsHeight;
    return mirka::twips::fromPixelsY(height());
}

bool RichTextBox::setRightMargin(int twips)
{
    if (twips < 0)
        return false;
    m_rightMargin = twips;
    if (twips == 0) {
        setLineWrapMode(QTextEdit::WidgetWidth);
    } else {
        setLineWrapMode(QTextEdit::FixedPixelWidth);
        // Setting the width lays the whole document out again, even when
        // it is the width it had.
        const int width = qMax(1, mirka::twips::toPixelsX(twips));
        if (lineWrapColumnOrWidth() != width)
            setLineWrapColumnOrWidth(width);
    }
    return true;
}

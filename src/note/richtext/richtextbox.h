#pragma once
#include "note/richtext/rtf.h"

#include <QTextEdit>
#include <optional>

// The note body editor: a QTextEdit with the members of a rich-text box and
// Rich Text Format load and save through our own reader and writer.
//
// Formatting members read std::nullopt for a mixed selection (a value equal
// to no single state); with nothing selected they read the format at the
// caret, and writing applies to the text typed next.
//
// LoadFile replaces the QTextDocument object (the new one is built away
// from the view, which is far faster): do not keep document() across it.
class RichTextBox : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextBox(QWidget *parent = nullptr);

    // Replaces the whole content with the RTF file at path. Returns false,
    // leaving the content as it was, when the file cannot be read or is not
    // RTF.
    // Progress, when given, hears how far reading has come and may stop it
    // (false, content as it was).
    bool LoadFile(const QString &path, const mirka::rtf::Progress &progress = {});
    // Writes the whole content to path as RTF, atomically. false (with a
    // reason) when the file cannot be written; the old file is then intact.
    bool SaveFile(const QString &path, QString *error = nullptr);

    // The whole document as RTF: exactly the bytes SaveFile writes.
    QByteArray RtfBytes() const;
    // Replaces the whole content with an RTF document held in memory; false,
    // leaving the content as it was, when the bytes are not RTF.
    bool LoadRtf(const QByteArray &rtf, const mirka::rtf::Progress &progress = {});
    // True when the bytes start like an RTF document ("{\rtf", after an
    // optional byte order mark and white space).
    static bool LooksLikeRtf(const QByteArray &bytes);
    // The body font of a new note: "ＭＳ Ｐゴシック" 11.25 pt where that face
    // exists, else a Japanese Gothic fallback at the same size.
    static QFont defaultBodyFont();

    QString Text() const;
    void setText(const QString &text);

    std::optional<bool> SelBold() const;
    void setSelBold(bool on);
    std::optional<bool> SelItalic() const;
    void setSelItalic(bool on);
    std::optional<bool> SelUnderline() const;
    void setSelUnderline(bool on);
    // 0 left, 1 right, 2 centre.
    std::optional<int> SelAlignment() const;
    void setSelAlignment(int alignment);
    std::optional<QString> SelFontName() const;
    void setSelFontName(const QString &name);
    std::optional<double> SelFontSize() const; // points
    void setSelFontSize(double points);
    std::optional<QColor> SelColor() const;
    void setSelColor(const QColor &color);

    // The selection as an RTF document.
    QString SelRTF() const;
    // Replaces the selection with the text read as RTF, or as plain text when
    // it is not RTF; the empty text deletes the selection.
    void setSelRTF(const QString &rtf);
    QString SelText() const;
    void setSelText(const QString &text);

    // Pastes what a clipboard holds: RTF markup in its plain text, else a
    // recorded page as a link, an RTF format through our reader, a picture,
    // HTML, else plain text; a clipboard without any of these replaces the
    // selection by nothing. Ctrl+V, the context menu, dropping and the Paste
    // command all come here.
    void pasteFrom(const QMimeData *source);
    // The clipboard formats that carry RTF on this system.
    static QStringList rtfMimeTypes();

    // Position and size in twips within the parent; a negative size is
    // refused (returns false, nothing moves).
    bool Move(int left, int top, int width, int height);
    int Width() const;  // twips
    int Height() const; // twips
    // The width in twips at which lines wrap (0: at the editor's width).
    int RightMargin() const { return m_rightMargin; }
    bool setRightMargin(int twips);

    // The drag format of a recorded page: its title and address as UTF-8,
    // one line each. Dropped into the body it becomes a link.
    static QString recordedPageMimeType() { return QStringLiteral("application/x-mirka-recorded-page"); }

signals:
    // After every change of the selection or the caret, typing and clicks
    // included: once per change (one keystroke or click gives one).
    void SelChange();
    // The whole content was replaced (a load, or new text), so the format
    // at the caret may differ while the caret stays where it was.
    void ContentReplaced();
    // Ctrl+click on a link.
    void linkActivated(const QString &href);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void dropEvent(QDropEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    // The labels of lists read from RTF, which Qt does not draw.
    void paintEvent(QPaintEvent *e) override;
    // A footnote's or comment's text on hover.
    bool viewportEvent(QEvent *e) override;
    // The editor's own copy offers plain words, HTML and RTF.
    QMimeData *createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    struct SelState {
        std::optional<bool> bold, italic, underline;
        std::optional<QString> family;
        std::optional<double> size;
        std::optional<QColor> color;
        std::optional<int> alignment;
    };
    class InputScope;
    friend class InputScope;

    const SelState &selState() const;
    SelState computeSelState() const;
    void invalidateSelState() { m_selState.reset(); }
    void mergeFormat(const QTextCharFormat &f);
    bool insertFormatted(const QMimeData *source, QTextCursor &c);
    void replaceDocument(QTextDocument *doc);
    void caretMoved();

    int m_rightMargin = 0;
    mutable std::optional<SelState> m_selState;
    // SelChange bookkeeping: the caret and anchor last reported, and input
    // events in progress (their changes are reported once, at their end).
    int m_lastPosition = -1;
    int m_lastAnchor = -1;
    int m_inputDepth = 0;
    bool m_inputMoved = false;
    bool m_inputEdited = false;
    // The twips last given to Move, valid while the pixel size is unchanged.
    int m_twipsWidth = -1, m_twipsHeight = -1;
    QSize m_movedSize;
};

#pragma once
#include <QTextEdit>
#include <optional>

// The note body editor: a QTextEdit with the members of a rich-text box and
// Rich Text Format load and save through our own reader and writer.
//
// Formatting members read std::nullopt for a mixed selection (a value equal
// to no single state); with nothing selected they read the format at the
// caret, and writing applies to the text typed next.
class RichTextBox : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextBox(QWidget *parent = nullptr);

    // Replaces the whole content with the RTF file at path. Returns false,
    // leaving the content as it was, when the file cannot be read or is not
    // RTF.
    bool LoadFile(const QString &path);
    // Writes the whole content to path as RTF, atomically. false (with a
    // reason) when the file cannot be written; the old file is then intact.
    bool SaveFile(const QString &path, QString *error = nullptr);

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

    // Position and size in twips within the parent; a negative size is
    // refused (returns false, nothing moves).
    bool Move(int left, int top, int width, int height);
    int Width() const;  // twips
    int Height() const; // twips
    // The width in twips at which lines wrap.
    int RightMargin() const { return m_rightMargin; }
    bool setRightMargin(int twips);

signals:
    // After every change of the selection or the caret, typing and clicks
    // included.
    void SelChange();

private:
    int m_rightMargin = 0;
};

#include "note/richtext/richtextbox.h"

RichTextBox::RichTextBox(QWidget *parent) : QTextEdit(parent)
{
    connect(this, &QTextEdit::cursorPositionChanged, this, &RichTextBox::SelChange);
    connect(this, &QTextEdit::selectionChanged, this, &RichTextBox::SelChange);
}

bool RichTextBox::LoadFile(const QString &) { return false; }
bool RichTextBox::SaveFile(const QString &, QString *) { return false; }
QString RichTextBox::Text() const { return toPlainText(); }
void RichTextBox::setText(const QString &text) { setPlainText(text); }
std::optional<bool> RichTextBox::SelBold() const { return std::nullopt; }
void RichTextBox::setSelBold(bool) {}
std::optional<bool> RichTextBox::SelItalic() const { return std::nullopt; }
void RichTextBox::setSelItalic(bool) {}
std::optional<bool> RichTextBox::SelUnderline() const { return std::nullopt; }
void RichTextBox::setSelUnderline(bool) {}
std::optional<int> RichTextBox::SelAlignment() const { return std::nullopt; }
void RichTextBox::setSelAlignment(int) {}
std::optional<QString> RichTextBox::SelFontName() const { return std::nullopt; }
void RichTextBox::setSelFontName(const QString &) {}
std::optional<double> RichTextBox::SelFontSize() const { return std::nullopt; }
void RichTextBox::setSelFontSize(double) {}
std::optional<QColor> RichTextBox::SelColor() const { return std::nullopt; }
void RichTextBox::setSelColor(const QColor &) {}
QString RichTextBox::SelRTF() const { return QString(); }
void RichTextBox::setSelRTF(const QString &) {}
QString RichTextBox::SelText() const { return textCursor().selectedText(); }
void RichTextBox::setSelText(const QString &text) { textCursor().insertText(text); }
bool RichTextBox::Move(int, int, int, int) { return false; }
int RichTextBox::Width() const { return 0; }
int RichTextBox::Height() const { return 0; }
bool RichTextBox::setRightMargin(int twips) { m_rightMargin = twips; return true; }

#pragma once
#include "common/dialogs.h"

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;

namespace mirka {

// The font dialog: face, style and size, with no underline, strike-out or
// colour choice. It opens on exactly the preset, whether or not the face is
// installed or has the style, and OK without a change gives the preset back
// untouched. Sizes may be fractional (10.5 pt, 11.25 pt).
class FontDialog : public QDialog {
    Q_OBJECT
public:
    explicit FontDialog(const FontChoice &preset, QWidget *parent = nullptr);

    // The choice as the dialog shows it now; std::nullopt while the size
    // box holds no valid size or the face box is empty.
    std::optional<FontChoice> choice() const;

    // The style names in list order: regular, italic, bold, bold italic.
    static QStringList styleNames();
    // A size as the size box shows it: "11.25", "10.5", "12".
    static QString sizeText(double points);

    void accept() override;

private:
    void faceEdited(const QString &text);
    void showSample();

    FontChoice m_preset;
    QLineEdit *m_face;
    QListWidget *m_faces;
    QLineEdit *m_style;
    QListWidget *m_styles;
    QLineEdit *m_size;
    QListWidget *m_sizes;
    QLabel *m_sample;
};

} // namespace mirka

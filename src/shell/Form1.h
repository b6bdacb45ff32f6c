#pragma once
#include <QWidget>

class QLabel;
class QLineEdit;
class QCheckBox;
class QPushButton;

// The Options dialog: a view of the live options (mirka::Options), which
// the frame and the browser windows read at the moment of use; what is
// typed into its fields takes effect at once.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // The dialog, loaded hidden on first use.
    static Form1 &get();
    static bool isLoaded();
    // Shows it, not modal, loading it first when needed.
    static void showOptions();
    // Removes it without saving (exit, and its own window control).
    static void unload();

    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr; // start page
    QLabel *Label2 = nullptr;
    QLineEdit *Text2 = nullptr; // search page
    QCheckBox *Check1 = nullptr;
    QPushButton *Command1 = nullptr;

    // 0 unchecked, 1 checked, 2 grey.
    int Check1Value() const;
    // Values other than 0, 1 and 2 leave the box as it is.
    void setCheck1Value(int value);

    ~Form1() override;

protected:
    // The window control: the dialog goes away unsaved.
    void closeEvent(QCloseEvent *event) override;

private:
    Form1();
    // Close: hide, then save.
    void Command1_Click();
    void showOptionValues();
};

#pragma once
#include "search/textfold.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// The find bar under a note or a page: the words, "n / m 件", previous and
// next, the options, and for the note a row to replace. It finds nothing
// itself; its owner answers its signals and tells it the count.
//
// Keys in the bar: Enter next, Shift+Enter previous, Escape closes (the
// owner leaves the match selected and takes the focus back).
class FindBar : public QWidget {
    Q_OBJECT
public:
    enum Feature { Plain = 0, KanaOption = 1, Replace = 2 };
    Q_DECLARE_FLAGS(Features, Feature)
    explicit FindBar(Features features, QWidget *parent = nullptr);

    // Shows the bar (with the replace row when asked and offered) and puts
    // the focus in the words, all selected.
    void open(bool withReplace);
    void closeBar();
    bool replacing() const;

    QString query() const;
    void setQuery(const QString &text);
    QString replacement() const;
    mirka::textfold::Options options() const;

    // "n / m 件"; current 0 shows only the count, total 0 "見つかりません".
    void showCount(int current, int total);
    // A word to the user in place of the count.
    void showMessage(const QString &text);

    QLineEdit *findText = nullptr;
    QLineEdit *replaceText = nullptr;
    QCheckBox *matchCase = nullptr;
    QCheckBox *matchKana = nullptr;
    QLabel *countLabel = nullptr;
    QToolButton *previousButton = nullptr;
    QToolButton *nextButton = nullptr;
    QPushButton *replaceButton = nullptr;
    QPushButton *replaceAllButton = nullptr;
    QToolButton *closeButton = nullptr;

signals:
    void queryChanged();
    void findNext();
    void findPrevious();
    void replaceOne();
    void replaceAll();
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_replaceRow = nullptr;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(FindBar::Features)

#pragma once
#include "search/textfold.h"

#include <QObject>
#include <QPointer>
#include <functional>

class FindBar;
class QAction;
class QTextDocument;
class QTextEdit;
class QWidget;

// Find and replace in a text editor, with the find bar along the bottom of
// the editor's window. The window places the bar when it lays itself out
// (layoutHeight) and lays itself out again when the bar comes or goes.
//
// Matches are found in the folded text of the document (textfold), so
// full- and half-width forms match; replacing keeps each match's
// formatting, and replacing all is one undo step.
class EditorFind : public QObject {
    Q_OBJECT
public:
    EditorFind(QWidget *window, QTextEdit *editor, QAction *find, QAction *replace,
               std::function<void()> relayout);

    FindBar *bar() const { return m_bar; }

    // Places the bar above the status bar (statusHeight pixels at the
    // bottom of a window clientHeight pixels high) and gives the client
    // height the window's layout is to use, so that what it puts at the
    // bottom keeps clear of the bar. The height as it is while the bar is
    // hidden.
    int layoutHeight(int clientHeight, int statusHeight);

    // Opens the bar (with the replace row when asked), taking a short
    // selection of one line as the words.
    void open(bool withReplace);
    // Opens the bar on these words and selects their first match from the
    // start of the text; false when there is none.
    bool showFirst(const QString &query, mirka::textfold::Options options);

    // Every match of the bar's words in the document as it is now.
    QList<mirka::textfold::Range> matches();
    void findNext();
    void findPrevious();
    // Replaces the selected match and goes on to the next.
    void replaceOne();
    // Replaces every match as one undo step; the count replaced.
    int replaceAll();

private:
    void queryChanged();
    void step(bool backward);
    void select(const mirka::textfold::Range &range);
    void showCount();
    void closed();
    void bind();

    QWidget *m_window;
    QTextEdit *m_editor;
    FindBar *m_bar;
    std::function<void()> m_relayout;
    QPointer<QTextDocument> m_doc;
    mirka::textfold::FoldedText m_folded;
    mirka::textfold::Options m_foldedWith;
    bool m_dirty = true;
    int m_anchor = 0; // where finding as the user types starts
};

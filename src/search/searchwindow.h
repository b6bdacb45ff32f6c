#pragma once
#include "search/searchindex.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QMenu;
class QAction;
class QProgressBar;
class QPushButton;
class QTimer;
class QMainWindow;
class SearchResults;

namespace mirka::search {
class Indexer;
}

// The search across notes and saved pages: the words, the options, the
// results newest first (note or saved page, the words around the match,
// when a page was recorded), the index's progress, and the folders
// searched. Enter or a double click opens a note through Open with the
// first match selected, or a saved page in the shared browser window with
// the match found.
class SearchWindow : public QWidget {
    Q_OBJECT
public:
    explicit SearchWindow(mirka::search::Indexer &indexer, QWidget *parent = nullptr);

    // The one search window inside the frame, made and shown on first use.
    static SearchWindow &showInFrame();
    static SearchWindow *instance();

    // Adds the command to the frame's File menu before the item given, and
    // keeps the remembered folders following the notes opened and saved.
    static QAction *install(QMainWindow *frame, QMenu *fileMenu, QAction *before);

    QLineEdit *txtQuery = nullptr;
    QCheckBox *chkCase = nullptr;
    QCheckBox *chkKana = nullptr;
    QLabel *lblStatus = nullptr;
    QProgressBar *prgIndex = nullptr;
    QListView *lstResults = nullptr;
    QPushButton *cmdFolders = nullptr;
    QWidget *fraFolders = nullptr;
    QListWidget *lstFolders = nullptr;
    QLineEdit *txtFolder = nullptr;
    QPushButton *cmdAddFolder = nullptr;
    QPushButton *cmdRemoveFolder = nullptr;

    // Runs the search for the words now (it runs by itself as they are typed).
    void Search();
    // Opens the result in the given row.
    void OpenResult(int row);

    ~SearchWindow() override;

private:
    void showProgress();
    void showFolders();
    mirka::textfold::Options options() const;

    mirka::search::Indexer &m_indexer;
    SearchResults *m_results;
    QTimer *m_typing;
    bool m_more = false;
};

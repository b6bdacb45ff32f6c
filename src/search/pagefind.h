#pragma once
#include <QObject>
#include <QString>

class FindBar;
class QBoxLayout;
class QWebEngineFindTextResult;
class QWebEngineView;
class QWidget;

// The find bar of a browser window, over the engine's own find: Ctrl+F
// opens it under the page, the engine counts and highlights, F3 and
// Shift+F3 go on, Escape closes and leaves the match selected.
class PageFind : public QObject {
    Q_OBJECT
public:
    // Puts the bar into layout, under the page; the keys work anywhere in
    // window.
    static PageFind *attach(QWidget *window, QWebEngineView *view, QBoxLayout *layout);
    // The find of a window that has one, or nullptr.
    static PageFind *of(QWidget *window);

    FindBar *bar() const { return m_bar; }
    void open();
    // Opens the bar on the words and finds them once the page being loaded
    // has arrived (at once when nothing is loading).
    void findWhenLoaded(const QString &query);

private:
    PageFind(QWidget *window, QWebEngineView *view, QBoxLayout *layout);
    void find(bool backward);
    void finished(const QWebEngineFindTextResult &result);
    void closed();

    QWebEngineView *m_view;
    FindBar *m_bar;
    QString m_pending;
};

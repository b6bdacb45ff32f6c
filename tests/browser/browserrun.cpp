// One run of the program's browser: a browser control over the program's
// profile opens the page given and the program ends once it has loaded.
// Exit code 0 when the page loaded.
#include "browser/WebBrowser.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    int rc = 1;
    {
        WebBrowser browser;
        QObject::connect(&browser, &WebBrowser::NavigateComplete2, &app, [&] {
            rc = 0;
            app.quit();
        });
        QTimer::singleShot(30000, &app, &QApplication::quit);
        browser.show();
        browser.Navigate(QString::fromLocal8Bit(argv[1]));
        app.exec();
    }
    return rc;
}

#include "about/frmAbout.h"
#include "common/fonts.h"
#include "shell/frmMain.h"
#include "shell/qtjapanese.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The web engine shares its GL contexts with the widgets; Qt wants this
    // before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // Qt's own buttons and dialogs speak the program's language.
    mirka::installQtJapanese();
    mirka::installJapaneseFontSubstitutes();
    QApplication::setWindowIcon(frmAbout::programIcon());
    frmMain frame;
    frame.Form_Load();
    frame.show();
    return app.exec();
}

// Stages the scenes the user guide shows and grabs each from the X screen
// (run under Xvfb with a window manager, see screenshots.sh).
#include "about/frmAbout.h"
#include "about/systemaccess.h"
#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "common/apptitle.h"
#include "common/fieldrecord.h"
#include "common/paths.h"
#include "common/savefile.h"
#include "note/frmDocument.h"
#include "note/richtext/richtextbox.h"
#include "shell/Form1.h"
#include "shell/frmMain.h"
#include "shell/qtjapanese.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <cstdio>

namespace {

QString g_out;

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void waitIdle(frmBrowser *b)
{
    for (int i = 0; i < 400 && b->brwWebBrowser->Busy(); ++i)
        runFor(25);
    runFor(600);
}

// The window with its decorations, as the screen shows it.
void grab(QWidget *w, const QString &name, int margin = 0)
{
    runFor(400);
    const QRect r = w->frameGeometry().adjusted(-margin, -margin, margin, margin);
    QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height())
        .save(g_out + u'/' + name);
    std::printf("%s\n", qPrintable(name));
}

QString writePage(const QTemporaryDir &dir, const QString &name, const QString &html)
{
    const QString path = dir.filePath(name);
    mirka::writeFileAtomically(path, html.toUtf8());
    return QUrl::fromLocalFile(path).toString();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    mirka::installQtJapanese();
    QApplication::setWindowIcon(frmAbout::programIcon());
    g_out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");

    QTemporaryDir dir;
    mirka::setExecutableFolder(dir.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());

    // A first start with nothing stored: New, then a new browser, each as it
    // opens, nothing resized or tiled.
    {
        frmMain fresh;
        fresh.Form_Load();
        fresh.show();
        runFor(600);
        fresh.mnuFileNew->trigger();
        grab(&fresh, "first-note.png");
        frmDocument::instance()->setModified(false);
        frmDocument::instance()->close();
        runFor(200);
        fresh.mnuViewWebBrowser->trigger();
        grab(&fresh, "first-browser.png");
        fresh.close();
    }
    QSettings(QSettings::NativeFormat, QSettings::UserScope, mirka::appTitle()).clear();
    const QString history = writePage(dir, "history.html", QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset=utf-8><title>港町の歴史 - 年表</title></head>"
        "<body style='font-family:sans-serif;margin:16px'><h1>港町の歴史</h1><h2>年表</h2>"
        "<ul><li>1859年 開港</li><li>1872年 鉄道開通</li><li>1923年 大震災</li>"
        "<li>1950年 博覧会</li></ul><p>港の発展と町の暮らしの移り変わりを年ごとにたどります。</p>"
        "</body></html>"));
    const QString museum = writePage(dir, "museum.html", QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset=utf-8><title>市立博物館 常設展示</title></head>"
        "<body><h1>市立博物館</h1></body></html>"));
    mirka::FieldRecordWriter fav;
    fav.number(1).text(QStringLiteral("市立図書館")).text("https://library.example.org/").endLine();
    fav.number(3).text(QStringLiteral("港町の歴史 - 年表")).text(history).endLine();
    fav.number(4).text(QStringLiteral("郷土の歌")).text("https://music.example.org/").endLine();
    fav.number(6).text(QStringLiteral("資料検索")).text("https://search.example.org/").endLine();
    mirka::writeFileAtomically(mirka::fileBesideExecutable("tobla.ini"), fav.data());
    mirka::FieldRecordWriter opt;
    opt.text(history).endLine().text("https://search.example.org/").endLine().number(1).endLine();
    mirka::writeFileAtomically(mirka::fileBesideExecutable("mirka.ini"), opt.data());

    frmMain frame;
    frame.Form_Load();
    frame.setGeometry(40, 40, 1180, 720);
    frame.show();
    frmBrowser *browser = frmBrowser::sharedIfOpen();
    waitIdle(browser);

    // A note with a recorded page or two.
    frmDocument::AddRecordedPage(browser->windowTitle(), browser->cboAddress->currentText());
    frmDocument::AddRecordedPage(QStringLiteral("市立博物館 常設展示"), museum);
    frame.mnuFileNew->trigger();
    frmDocument *doc = frmDocument::instance();
    doc->Text1->setText(QStringLiteral("地域の歴史"));
    doc->rtfText->setSelRTF(QStringLiteral(
        "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 Noto Sans CJK JP;}}"
        "{\\colortbl;\\red192\\green0\\blue0;}\\f0\\fs28\\b \\u28207?\\u30010?\\u12398?"
        "\\u27508?\\u21490?\\b0\\fs22\\par "
        "\\u38283?\\u28207?\\u12399? 1859 \\u24180?\\u12290?\\cf1 \\u37444?\\u36947?\\cf0 "
        "\\u12399? 1872 \\u24180?\\u12395?\\u38283?\\u36890?\\u12290?\\par "
        "\\i \\u21338?\\u29289?\\u39208?\\u12391?\\u30906?\\u35469?\\u12377?\\u12427?\\i0\\par}"));
    frame.TileVertical();
    doc->List1->setCurrentRow(0);
    grab(&frame, "frame-tiled.png");

    // The favourites list open.
    browser->ImageCombo1->showPopup();
    runFor(300);
    grab(&frame, "favourites.png");
    browser->ImageCombo1->hidePopup();

    // The Options dialog beside the frame.
    Form1::showOptions();
    Form1 &options = Form1::get();
    options.move(frame.frameGeometry().right() - options.width() - 60, 120);
    grab(&options, "options.png");
    options.hide();

    // The About window.
    frmAbout about(&frame, SystemAccess::platform());
    about.show();
    grab(&about, "about.png");
    about.close();

    // Nothing is saved on the way out.
    doc->setModified(false);
    return 0;
}

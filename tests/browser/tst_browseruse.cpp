// The browser as users drive it: keys sent to the focused widget, pages that
// ask for windows, permissions or downloads, stored script addresses, local
// files, untrusted certificates, and a login that lasts between runs.
#include "../support/windowdriving.h"
#include "common/codepage.h"
#include "model/note.h"
#include "loopbackserver.h"

#include <QAbstractItemView>
#include <QImage>
#include <QProcess>
#include <QSslKey>
#include <QSslServer>
#include <QStandardPaths>

using namespace windowdriving;

namespace {

QString title(frmBrowser *b) { return b->brwWebBrowser->view()->title(); }

const QString refused = QStringLiteral("このアドレスは開けません");

// A page wholly covered by a button that runs the script when clicked.
QString clickToRun(const QString &script)
{
    return "<button style=\"position:fixed;inset:0\" onclick=\"" + script.toHtmlEscaped() + "\">go</button>";
}

} // namespace

class TestBrowserUse : public QObject {
    Q_OBJECT

    TestEnv env;
    ScriptedDialogs dialogs;
    LoopbackServer server;
    std::unique_ptr<frmMain> frame;
    QString pageA, pageB;
    // Where the files a hostile local page is after live.
    QString otherUrl;

    QString writePage(const QString &name, const QString &title, const QString &body)
    {
        return windowdriving::writePage(env, name, title, body);
    }

private slots:
    void initTestCase()
    {
        pageA = writePage("a.html", "Page A", "A");
        pageB = writePage("b.html", "Page B", "B");
        // A local page's folder and, beside it, files it must not reach.
        QVERIFY(QDir(env.folder()).mkpath("evil/sub") && QDir(env.folder()).mkpath("other"));
        QImage picture(5, 3, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(env.path("evil/sub/own.png")) && picture.save(env.path("other/picture.png")));
        env.write("evil/own.css", "body { background: rgb(1, 2, 3); }");
        env.write("evil/notes.txt", "SECRET beside");
        writePage("evil/frame.html", "Frame", "framed page");
        env.write("other/secret.js", "var secret = 'SECRET';");
        env.write("other/style.css", "body { --secret: 'SECRET'; }");
        env.write("other/secret.txt", "SECRET");
        QVERIFY(QFile::link(env.path("other/secret.txt"), env.path("evil/link.html")));
        otherUrl = QUrl::fromLocalFile(env.path("other/")).toString();
#ifndef _WIN32
        // The desktop's opener and its handler query, as stand-ins that
        // note what they were given and name one program.
        QVERIFY(QDir(env.folder()).mkpath("bin") && QDir(env.folder()).mkpath("data/applications"));
        env.write("bin/xdg-open", "#!/bin/sh\necho \"$1\" >> '" + env.path("opened.txt").toUtf8() + "'\n");
        env.write("bin/xdg-mime", "#!/bin/sh\necho mirka-mail.desktop\n");
        for (const char *p : {"bin/xdg-open", "bin/xdg-mime"})
            QFile::setPermissions(env.path(p), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.write("data/applications/mirka-mail.desktop",
                  "[Desktop Entry]\nName=Mail\nName[ja]=メールの人\nExec=true\nType=Application\n");
        qputenv("PATH", QFile::encodeName(env.path("bin")) + ':' + qgetenv("PATH"));
        // The user's download folder, as the desktop names it.
        QVERIFY(QDir(env.folder()).mkpath("ダウンロード") && QDir(env.folder()).mkpath("config"));
        env.write("config/user-dirs.dirs",
                  "XDG_DOWNLOAD_DIR=\"" + env.path("ダウンロード").toUtf8() + "\"\n");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(env.path("config")));
        QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation), env.path("ダウンロード"));
#endif
        frame = std::make_unique<frmMain>();
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
    }

    void cleanup()
    {
        QVERIFY(closesAll());
        Form1::get().Text1->setText(QString());
        dialogs.asked.clear();
        dialogs.messageAnswers.clear();
        dialogs.fileAnswers.clear();
    }

    void cleanupTestCase() { frame.reset(); }

    // Enter and keypad Enter navigate from the focused address box, which
    // still gets the key; the browser keys reach the toolbar's commands.
    void keys()
    {
        frmBrowser *b = frmBrowser::createNew();
        QVERIFY(completes(b, [&] { typeAndEnter(b, pageA); }));
        QVERIFY(settles(b));
        QVERIFY(completes(b, [&] { typeAndEnter(b, pageB, Qt::Key_Enter); }));
        QCOMPARE(b->brwWebBrowser->LocationURL(), pageB);

        for (const QKeyCombination k : {Qt::CTRL | Qt::Key_L, Qt::ALT | Qt::Key_D, QKeyCombination(Qt::Key_F6)}) {
            b->brwWebBrowser->view()->setFocus();
            key(b, k.key(), k.keyboardModifiers());
            QCOMPARE(QApplication::focusWidget(), b->cboAddress);
            QCOMPARE(b->cboAddress->lineEdit()->selectedText(), pageB);
        }

        QVERIFY(completes(b, [&] { key(b, Qt::Key_Left, Qt::AltModifier); }));
        QCOMPARE(b->brwWebBrowser->LocationURL(), pageA);
        QVERIFY(completes(b, [&] { key(b, Qt::Key_Right, Qt::AltModifier); }));
        QCOMPARE(b->brwWebBrowser->LocationURL(), pageB);
        QVERIFY(settles(b));
        key(b, Qt::Key_F5);
        QVERIFY(b->timTimer->isActive());
        QVERIFY(settles(b));

        typeAndEnter(b, server.url("/slow"));
        QVERIFY(b->timTimer->isActive());
        key(b, Qt::Key_Escape);
        QVERIFY(!b->timTimer->isActive());
        QCOMPARE(b->windowTitle(), QStringLiteral("Page B"));
        server.releaseSlow();

        // A script typed by the user runs, as in any address bar.
        typeAndEnter(b, QStringLiteral("javascript:void(document.title='typed')"));
        QTRY_COMPARE_WITH_TIMEOUT(title(b), QStringLiteral("typed"), engineTimeout);
        QVERIFY(dialogs.asked.isEmpty());
    }

    // A page opens no window on its own; a click opens exactly one, which
    // starts from the start page, shows the requested page and has the
    // favourites.
    void newWindows()
    {
        env.write("tobla.ini", "4,\"Kept\",\"http://kept/\"\r\n");
        const QString target = writePage("target.html", "Target", "T");
        const QString flood = writePage("flood.html", "Flood",
                                        "<script>for (let i = 0; i < 50; ++i) window.open('target.html');</script>");
        const QString click = writePage("click.html", "Click", clickToRun("for (let i = 0; i < 5; ++i) window.open('target.html')"));
        QVERIFY(loaded(flood));
        QTest::qWait(1500);
        QCOMPARE(browserWindows().size(), 1);

        frmBrowser *b = loaded(click);
        QVERIFY(b);
        clickPage(b);
        QTRY_COMPARE_WITH_TIMEOUT(browserWindows().size(), 3, engineTimeout);
        QTest::qWait(1500);
        QCOMPARE(browserWindows().size(), 3);
        frmBrowser *opened = browserWindows().last();
        QVERIFY(settles(opened));
        QCOMPARE(opened->windowTitle(), QStringLiteral("Target"));
        QCOMPARE(opened->cboAddress->itemText(0), target);
        QCOMPARE(opened->cboAddress->itemText(1), click);
        QCOMPARE(opened->ImageCombo1->count(), 1);
        QCOMPARE(b->cboAddress->count(), 1);
        QFile::remove(env.path("tobla.ini"));
    }

    // A stored script address is refused with one message naming it; the
    // page on screen stays as it was.
    void storedScriptAddresses()
    {
        const QString script = QStringLiteral("JavaScript:document.title='run'");
        env.write("tobla.ini", "1,\"fav\",\"" + script.toLatin1() + "\"\r\n");
        frmBrowser *b = loaded(pageA);
        QVERIFY(b);
        b->ImageCombo1->setCurrentIndex(0);
        b->Command1->click();
        QCOMPARE(dialogs.messages(), QStringList{refused + u'\n' + script});
        QCOMPARE(b->cboAddress->currentText(), pageA);

        frmDocument::AddRecordedPage(QStringLiteral("title"), script);
        doubleClickRow(frmDocument::instance()->List1, 0);
        QCOMPARE(dialogs.messages().size(), 2);
        QCOMPARE(dialogs.messages().last(), refused + u'\n' + script);
        QVERIFY(!frmBrowser::sharedIfOpen());
        QTest::qWait(300);
        QCOMPARE(title(b), QStringLiteral("Page A"));
        QFile::remove(env.path("tobla.ini"));
    }

    // A page opened from disk attacks the files around it, with one click
    // where the attack needs one. Its own picture, style and pages still
    // show; of the rest it learns nothing (a file elsewhere fails as a
    // missing one does), and no window opens.
    void localPageAttacks_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("click");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("windows");
        const QString probe = QStringLiteral(
            "<script>const probe = u => new Promise(r => { const s = document.createElement('script');"
            " s.onload = () => r('load'); s.onerror = () => r('error'); s.src = u; document.head.append(s); });"
            "Promise.all(['../other/secret.txt', '../other/missing.txt', 'file:///etc/passwd',"
            " 'own.css', 'nothing.css'].map(probe)).then(r => done(r.join()));</script>");
        const QString afterOpen = QStringLiteral(
            "setTimeout(() => { try { done(w ? w.document.body.innerText || 'empty' : 'no window'); }"
            " catch (e) { done(e.name); } }, 1500)");
        QTest::newRow("own folder")
            << "<link rel=\"stylesheet\" href=\"own.css\"><img id=\"i\" src=\"sub/own.png\">"
               "<iframe src=\"notes.txt\"></iframe><iframe src=\"frame.html\"></iframe>"
               "<script>const read = f => { try { return f.contentDocument.body.innerText || 'blocked'; }"
               " catch (e) { return 'blocked'; } };"
               "window.onload = () => fetch('notes.txt').then(r => r.text()).then(t => 'read:' + t, e => 'blocked')"
               ".then(r => done([r, ...[...document.querySelectorAll('iframe')].map(read),"
               " document.getElementById('i').naturalWidth, getComputedStyle(document.body).backgroundColor].join()));"
               "</script>"
            << false << "blocked,blocked,framed page,5,rgb(1, 2, 3)" << 1;
        QTest::newRow("script") << "<script src=\"../other/secret.js\"></script><script>done(typeof secret)</script>"
                                << false << "undefined" << 1;
        QTest::newRow("style rules")
            << "<link rel=\"stylesheet\" href=\"../other/style.css\" onerror=\"done('error')\""
               " onload=\"try { done(this.sheet.cssRules[0].cssText) } catch (e) { done(e.name) }\">"
            << false << "error" << 1;
        QTest::newRow("canvas pixels")
            << "<img src=\"../other/picture.png\" onerror=\"done('error')\" onload=\"const c ="
               " document.createElement('canvas').getContext('2d'); c.drawImage(this, 0, 0);"
               " try { done(c.getImageData(0, 0, 1, 1).data[0]) } catch (e) { done(e.name) }\">"
            << false << "error" << 1;
        QTest::newRow("existence probes") << probe << false << "error,error,error,load,error" << 1;
        QTest::newRow("symlinked page")
            << "<iframe src=\"link.html\" onload=\"try { done(this.contentDocument.body.innerText || 'empty') }"
               " catch (e) { done(e.name) }\"></iframe>"
            << false << "TypeError" << 1;
        QTest::newRow("window.open") << clickToRun("const w = window.open('../other/secret.txt');" + afterOpen)
                                     << true << "TypeError" << 1;
        QTest::newRow("window sent on")
            << clickToRun("const w = window.open('frame.html'); w.location = '" + otherUrl + "secret.txt';"
                          " const t = setInterval(() => { try { if (w.document.body.innerText.includes('SEC' + 'RET'))"
                          " { done(w.document.body.innerText); clearInterval(t); } } catch (e) {} }, 1);" + afterOpen)
            << true << "TypeError" << 2;
        QTest::newRow("link") << "<a href=\"../other/secret.txt\" style=\"position:fixed;inset:0\">x</a>"
                                 "<script>done('here')</script>"
                              << true << QString() << 1;
    }

    void localPageAttacks()
    {
        QFETCH(QString, body);
        QFETCH(bool, click);
        QFETCH(QString, expected);
        QFETCH(int, windows);
        const QString page = writePage(
            "evil/" + QString(QTest::currentDataTag()).replace(u' ', u'_') + ".html", "start",
            "<script>const done = r => document.title = 'done ' + r;</script>" + body);
        frmBrowser *b = loaded(page);
        QVERIFY(b);
        if (click) {
            clickPage(b);
        }
        if (!expected.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(title(b), "done " + expected, engineTimeout);
        else
            QTest::qWait(2000);
        QCOMPARE(browserWindows().size(), windows);
        for (frmBrowser *w : browserWindows())
            QVERIFY(!evaluate(w, "document.documentElement.innerHTML").toString().contains("SECRET"));
    }

    // Another program opens an address only on the user's click and Yes to
    // a question naming the scheme and the program (No by default); a page
    // alone asks nothing and opens nothing.
    void leavingTheBrowser_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("click");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QString>("opened");
        const QString mail = QStringLiteral("mailto:x@example.org?body=SECRET");
        const QString link = "<a href=\"%1\" style=\"position:fixed;inset:0\">x</a>";
        QTest::newRow("mail link, no") << link.arg(mail) << true << false << "mailto" << QString();
        QTest::newRow("custom scheme, yes") << link.arg("x-custom:payload") << true << true << "x-custom"
                                            << "x-custom:payload";
        QTest::newRow("window on a click") << clickToRun("window.open('" + mail + "')") << true << true << "mailto" << mail;
        QTest::newRow("no click") << "<script>setTimeout(() => { location.href = 'x-custom:a'; window.open('" + mail
                                         + "'); }, 300); setTimeout(() => location.href = '" + mail + "', 600);</script>"
                                  << false << true << QString() << QString();
    }

    void leavingTheBrowser()
    {
#ifdef _WIN32
        QSKIP("the desktop's opener is a stand-in program only on Linux");
#endif
        QFETCH(QString, body);
        QFETCH(bool, click);
        QFETCH(bool, yes);
        QFETCH(QString, scheme);
        QFETCH(QString, opened);
        const QString log = env.path("opened.txt");
        QFile::remove(log);
        dialogs.messageAnswers = {yes ? mirka::MsgAnswer::Yes : mirka::MsgAnswer::No};
        frmBrowser *b = loaded(writePage("outside.html", "outside", body));
        QVERIFY(b);
        if (click) {
            clickPage(b);
            QTRY_COMPARE_WITH_TIMEOUT(dialogs.asked.size(), 1, engineTimeout);
            const QString question = dialogs.asked[0].text;
            QCOMPARE(dialogs.asked[0].buttons, mirka::MsgButtons::YesNoDefaultNo);
            QVERIFY(question.contains(scheme + ':'));
            QVERIFY(question.contains(QStringLiteral("メールの人")));
        }
        QTest::qWait(1500);
        QCOMPARE(dialogs.asked.size(), click ? 1 : 0);
        QCOMPARE(browserWindows().size(), 1);
        if (!opened.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(env.read("opened.txt"), QUrl(opened).toEncoded() + '\n', engineTimeout);
        else
            QVERIFY(!QFile::exists(log));
    }

    // A download asks where to save it, lands there and says so in the
    // window; a failed one is told; the caption and the address box stay on
    // the page shown.
    void downloads()
    {
        server.route("/report", "200 OK\r\nContent-Disposition: attachment; filename=\"report.txt\"",
                     "the report", "application/octet-stream");
        server.route("/zip", "200 OK", "a zip", "application/zip");
        frmBrowser *b = loaded(pageA);
        QVERIFY(b);
        auto *status = b->findChild<QLabel *>(QStringLiteral("DownloadStatus"));
        QVERIFY(status && !status->isVisible());

        const QString saved = env.path("saved.txt");
        dialogs.fileAnswers = {saved};
        typeAndEnter(b, server.url("/report"));
        QTRY_COMPARE_WITH_TIMEOUT(env.read("saved.txt"), QByteArray("the report"), engineTimeout);
        QCOMPARE(dialogs.asked.size(), 1);
        QCOMPARE(dialogs.asked[0].kind, QStringLiteral("save"));
        QTRY_VERIFY(status->isVisible() && status->text().contains(QStringLiteral("ダウンロード完了")));
        QVERIFY(status->text().contains(QDir::toNativeSeparators(saved)));
        QVERIFY(settles(b));
        QCOMPARE(b->windowTitle(), QStringLiteral("Page A"));
        QCOMPARE(b->cboAddress->currentText(), pageA);
        QCOMPARE(b->cboAddress->count(), 1);

        // Cancelled: nothing is written. Into a folder that is not there: one
        // message.
        typeAndEnter(b, server.url("/report"));
        QTRY_COMPARE_WITH_TIMEOUT(dialogs.asked.size(), 2, engineTimeout);
        dialogs.fileAnswers = {env.path("no such folder/cut.zip")};
        typeAndEnter(b, server.url("/zip"));
        QTRY_COMPARE_WITH_TIMEOUT(dialogs.messages().size(), 1, engineTimeout);
        QVERIFY(dialogs.messages()[0].startsWith(QStringLiteral("ダウンロードできませんでした")));
        QVERIFY(status->text().contains(QStringLiteral("ダウンロードできませんでした")));
        QVERIFY(settles(b));
        QCOMPARE(b->windowTitle(), QStringLiteral("Page A"));
        QCOMPARE(b->cboAddress->currentText(), pageA);
        QCOMPARE(QDir(env.folder()).entryList({"saved*", "cut*", "report*"}), QStringList{"saved.txt"});
        // The line goes with the page it was about.
        QVERIFY(completes(b, [&] { typeAndEnter(b, pageB); }));
        QVERIFY(!status->isVisible());
    }

    // A download asks where to save it only when the user asked for it (an
    // address given, a click); the dialog starts in the download folder
    // with the server's name made a plain, visible one.
    void downloadRequests_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("click");
        QTest::addColumn<QString>("proposed"); // empty: no dialog
        auto named = [this](const QByteArray &path, const QByteArray &disposition) {
            server.route(path, "200 OK\r\nContent-Disposition: attachment; " + disposition, "data",
                         "application/octet-stream");
            return path;
        };
        auto page = [this](const QByteArray &path, const QString &body) {
            server.route(path, "200 OK", body.toUtf8());
            return path;
        };
        QTest::newRow("folders above") << named("/up", "filename=\"../../x.txt\"") << false << "x.txt";
        QTest::newRow("absolute") << named("/abs", "filename=\"/tmp/abs.txt\"") << false << "abs.txt";
        QTest::newRow("control characters")
            << named("/ctl", "filename*=UTF-8''a%01b%0Ac%1Bd%E2%80%AEtxt.exe") << false << "a_b_c_d_txt.exe";
        QTest::newRow("device name") << named("/con", "filename=\"CON.txt\"") << false << "_CON.txt";
        QTest::newRow("hidden") << named("/hidden", "filename=\".bashrc\"") << false << "bashrc";
        QTest::newRow("long") << named("/long", "filename=\"" + QByteArray(300, 'a') + ".txt\"") << false
                              << QString(196, u'a') + ".txt";
        server.route("/moved", "302 Found\r\nLocation: /up", {});
        QTest::newRow("server redirect") << QByteArray("/moved") << false << "x.txt";
        QTest::newRow("page at once") << page("/atonce", "<script>location = '/up'</script>") << false << QString();
        QTest::newRow("page link at once")
            << page("/link", "<a id=\"a\" download href=\"/up\">x</a><script>a.click()</script>") << false << QString();
        QTest::newRow("page later") << page("/later", "<script>setTimeout(() => location = '/up', 500)</script>")
                                    << false << QString();
        QTest::newRow("page on a click") << page("/click", clickToRun("location = '/up'")) << true << "x.txt";
    }

    void downloadRequests()
    {
        QFETCH(QByteArray, path);
        QFETCH(bool, click);
        QFETCH(QString, proposed);
        dialogs.fileAnswers = {QString()};
        frmBrowser *b = loaded(click ? server.url(path) : pageA);
        QVERIFY(b);
        auto *status = b->findChild<QLabel *>(QStringLiteral("DownloadStatus"));
        if (click) {
            clickPage(b);
        } else {
            typeAndEnter(b, server.url(path));
        }
        if (proposed.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(status->isVisible(), engineTimeout);
            QCOMPARE(status->text(), QStringLiteral("ページが求めたダウンロードを止めました: x.txt"));
            QTest::qWait(500);
            QCOMPARE(dialogs.asked.size(), 0);
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(dialogs.asked.size(), 1, engineTimeout);
        QCOMPARE(dialogs.asked[0].file.initialFile,
                 QDir::toNativeSeparators(QDir(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation))
                                              .filePath(proposed)));
    }

    // A site's request is asked once per run, naming the site and what it
    // wants; the page gets the answer either way.
    void permissions()
    {
        const QByteArray ask = "<title>ask</title><script>"
                               "Notification.requestPermission().then(p => document.title = p);</script>";
        server.route("/notify", "200 OK", ask);
        dialogs.messageAnswers = {mirka::MsgAnswer::Yes, mirka::MsgAnswer::No};
        frmBrowser *b = loaded(server.url("/notify"));
        QVERIFY(b);
        QTRY_COMPARE_WITH_TIMEOUT(title(b), QStringLiteral("granted"), engineTimeout);
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(dialogs.messages()[0].contains(server.url(QString())));
        QVERIFY(dialogs.messages()[0].contains(QStringLiteral("通知の表示")));
        QCOMPARE(dialogs.asked[0].buttons, mirka::MsgButtons::YesNo);

        frmBrowser *again = loaded(server.url("/notify"));
        QVERIFY(again);
        QTRY_COMPARE_WITH_TIMEOUT(title(again), QStringLiteral("granted"), engineTimeout);
        QCOMPARE(dialogs.messages().size(), 1);

        frmBrowser *other = loaded(server.url("/notify", QStringLiteral("localhost")));
        QVERIFY(other);
        QTRY_COMPARE_WITH_TIMEOUT(title(other), QStringLiteral("denied"), engineTimeout);
        QCOMPARE(dialogs.messages().size(), 2);
    }

    // A site whose certificate is not trusted is not shown; a Japanese page
    // says why.
    void untrustedCertificate()
    {
        if (!QSslSocket::supportsSsl())
            QSKIP("no TLS in this Qt");
        QFile pem(qEnvironmentVariable("MIRKA_SOURCE_DIR") + "/tests/browser/untrusted.pem");
        QVERIFY(pem.open(QIODevice::ReadOnly));
        const QByteArray bytes = pem.readAll();
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(QSslCertificate(bytes));
        tls.setPrivateKey(QSslKey(bytes, QSsl::Rsa));
        auto *ssl = new QSslServer;
        ssl->setSslConfiguration(tls);
        LoopbackServer https(ssl);
        https.route("/", "200 OK", "<title>Secret</title>the site");

        frmBrowser *b = loaded(pageA);
        QVERIFY(b);
        QVERIFY(completes(b, [&] { typeAndEnter(b, https.url("/")); }));
        QVERIFY(settles(b));
        QCOMPARE(b->windowTitle(), QStringLiteral("証明書エラー"));
        const QString text = evaluate(b, "document.body.innerText").toString();
        QVERIFY(text.contains(QStringLiteral("証明書は信頼できません")));
        QVERIFY(!text.contains("the site"));
        QCOMPARE(b->cboAddress->currentText(), https.url("/"));
        // Recorded, but the page in its place is no copy of the site.
        clickToolbar(b, "check");
        QTRY_VERIFY_WITH_TIMEOUT(frmDocument::instance() && !frmDocument::instance()->note->pages().isEmpty()
                                     && !frmDocument::instance()->note->pages().last().copyPending,
                                 engineTimeout);
        QVERIFY(!frmDocument::instance()->note->pages().last().hasCopy());
        QCOMPARE(frmDocument::instance()->List1->count(), 1);
    }

    // One click on the favourites box's text opens its list, which stays
    // open.
    void favouritesBoxClick()
    {
        env.write("tobla.ini", "1,\"one\",\"http://1/\"\r\n");
        frmBrowser *b = frmBrowser::createNew();
        QComboBox *box = b->ImageCombo1;
        QCOMPARE(box->count(), 1);
        frame->mnuWindowTileHorizontal->trigger();
        QTest::mouseClick(frame->windowHandle(), Qt::LeftButton, {},
                          box->mapTo(frame.get(), QPoint(box->width() / 3, box->height() / 2)));
        QTRY_VERIFY(box->view()->isVisible());
        QTest::qWait(QApplication::doubleClickInterval() + 200);
        QVERIFY(box->view()->isVisible());
        box->hidePopup();
        QFile::remove(env.path("tobla.ini"));
    }

    // A cookie set in one run of the program is sent in the next.
    void loginLastsBetweenRuns()
    {
#ifdef _WIN32
        QSKIP("the per-user folders are set aside for a test only on Linux");
#endif
        server.route("/login", "200 OK\r\nSet-Cookie: session=kept; Max-Age=86400; Path=/",
                     "<title>in</title>");
        QTemporaryDir user;
        auto run = [&](const QString &path) {
            QProcess p;
            QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
            e.insert("XDG_DATA_HOME", user.filePath("data"));
            e.insert("XDG_CACHE_HOME", user.filePath("cache"));
            p.setProcessEnvironment(e);
            QSignalSpy finished(&p, &QProcess::finished);
            p.start(QCoreApplication::applicationDirPath() + "/browser_run", {server.url(path)});
            return finished.wait(60000) && p.exitCode() == 0;
        };
        QVERIFY(run("/login"));
        QVERIFY(run("/check"));
        QVERIFY(server.lastRequest("/check").contains("Cookie: session=kept"));
        QVERIFY(QDir(user.filePath("data/webMirkabrowser/browser")).exists());
    }
};

QTEST_MAIN(TestBrowserUse)
#include "tst_browseruse.moc"

#include "about/frmAbout.h"
#include "common/apptitle.h"
#include "common/codepage.h"
#include "common/twips.h"
#include "../support/scripteddialogs.h"

#include <QFontDatabase>
#include <QImageReader>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QSet>
#include <QSvgRenderer>
#include <QtTest>

namespace {

const QString unavailable = QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません");
const QByteArray msinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QByteArray locationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

// A registry under the local-machine root, a set of existing files and a
// record of the programs started, all scripted by the test.
class FakeSystem : public SystemAccess {
public:
    struct Value {
        quint32 type = 0;
        QByteArray data;
    };
    QMap<QByteArray, QMap<QByteArray, Value>> keys;
    QSet<QString> files;

    QList<quint32> accessAsked;
    QStringList looked;  // file names looked up
    QStringList started; // programs started
    int openKeys = 0;

    void set(const QByteArray &key, const QByteArray &name, quint32 type, const QByteArray &data)
    {
        keys[key][name] = Value{type, data};
    }

    long openKey(Key root, const QByteArray &path, quint32 access, Key *key) override
    {
        accessAsked << access;
        *key = 0;
        if (root != LocalMachine || !keys.contains(path))
            return NotFound;
        m_open << path;
        *key = Key(m_open.size());
        ++openKeys;
        return Success;
    }
    long queryValue(Key key, const QByteArray &name, quint32 *type, QByteArray *data) override
    {
        const auto values = keys.value(m_open.value(qsizetype(key) - 1));
        if (!values.contains(name))
            return NotFound;
        const Value v = values.value(name);
        if (v.data.size() > data->size())
            return 234; // ERROR_MORE_DATA
        *type = v.type;
        *data = v.data;
        return Success;
    }
    void closeKey(Key) override { --openKeys; }
    bool fileExists(const QString &path) override
    {
        looked << path;
        return files.contains(path);
    }
    bool startProgram(const QString &path) override
    {
        if (!files.contains(path))
            return false;
        started << path;
        return true;
    }

private:
    QList<QByteArray> m_open;
};

QByteArray sz(const QByteArray &text) { return text + '\0'; }

// Presses the system-information button of a shown About window; returns
// the messages it gave, each an OK box with the application title.
QStringList pressSysInfo(SystemAccess &system)
{
    ScriptedDialogs dialogs;
    frmAbout dlg(nullptr, system);
    dlg.show();
    QTest::mouseClick(dlg.cmdSysInfo, Qt::LeftButton);
    QStringList out;
    for (const ScriptedDialogs::Asked &a : dialogs.asked)
        out << (a.title == mirka::appTitle() && a.buttons == mirka::MsgButtons::OK
                    ? a.text : QStringLiteral("<other box>"));
    if (!dlg.isVisible())
        out << QStringLiteral("<the About window closed>");
    return out;
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void startSysInfoFindsOrExplains()
    {
        const QString folder = QStringLiteral("C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo");
        const QString program = folder + QStringLiteral("\\MSINFO32.EXE");
        {
            // Neither key: the one message, once; the window stays.
            FakeSystem sys;
            QCOMPARE(pressSysInfo(sys), QStringList{unavailable});
            QVERIFY(sys.started.isEmpty());
            QVERIFY(sys.looked.isEmpty());
            // Both look-ups open their keys for reading only.
            QCOMPARE(sys.accessAsked, (QList<quint32>{0x20019, 0x20019}));
        }
        {
            // Only the location key, the folder without the program.
            FakeSystem sys;
            sys.set(locationKey, "MSINFO", 1, sz(folder.toLatin1()));
            QCOMPARE(pressSysInfo(sys), QStringList{unavailable});
            QCOMPARE(sys.looked, QStringList{program});
            QVERIFY(sys.started.isEmpty());
        }
        {
            // Only the location key, the program in the folder: started.
            FakeSystem sys;
            sys.set(locationKey, "MSINFO", 1, sz(folder.toLatin1()));
            sys.files << program;
            QCOMPARE(pressSysInfo(sys), QStringList{});
            QCOMPARE(sys.started, QStringList{program});
            QCOMPARE(sys.openKeys, 0);
        }
        {
            // A folder ending in "\" gets a second one before the file name.
            FakeSystem sys;
            sys.set(locationKey, "MSINFO", 1, sz("D:\\MSInfo\\"));
            sys.files << QStringLiteral("D:\\MSInfo\\\\MSINFO32.EXE");
            QCOMPARE(pressSysInfo(sys), QStringList{});
            QCOMPARE(sys.started, QStringList{QStringLiteral("D:\\MSInfo\\\\MSINFO32.EXE")});
        }
        {
            // The PATH value is the program itself, used unchanged and not
            // looked up as a file; the location key is not consulted.
            FakeSystem sys;
            sys.set(msinfoKey, "PATH", 1, sz("E:\\Tools\\msinfo32.exe"));
            sys.set(locationKey, "MSINFO", 1, sz(folder.toLatin1()));
            sys.files << QStringLiteral("E:\\Tools\\msinfo32.exe") << program;
            QCOMPARE(pressSysInfo(sys), QStringList{});
            QCOMPARE(sys.started, QStringList{QStringLiteral("E:\\Tools\\msinfo32.exe")});
            QVERIFY(sys.looked.isEmpty());
            QCOMPARE(sys.accessAsked, QList<quint32>{0x20019});
            QCOMPARE(sys.openKeys, 0);
        }
        {
            // A PATH value that is not a string counts as found but gives no
            // path: the start fails, though the location key would have done.
            FakeSystem sys;
            sys.set(msinfoKey, "PATH", 3, "E:\\Tools\\msinfo32.exe");
            sys.set(locationKey, "MSINFO", 1, sz(folder.toLatin1()));
            sys.files << QStringLiteral("E:\\Tools\\msinfo32.exe") << program;
            QCOMPARE(pressSysInfo(sys), QStringList{unavailable});
            QVERIFY(sys.started.isEmpty());
            QVERIFY(sys.looked.isEmpty());
        }
        {
            // A PATH naming a program that cannot be started.
            FakeSystem sys;
            sys.set(msinfoKey, "PATH", 1, sz("E:\\Gone\\msinfo32.exe"));
            QCOMPARE(pressSysInfo(sys), QStringList{unavailable});
        }
#ifndef _WIN32
        // This system has no registry: the button always explains.
        QCOMPARE(pressSysInfo(SystemAccess::platform()), QStringList{unavailable});
#endif
    }

    void getKeyValueByType()
    {
        FakeSystem sys;
        frmAbout dlg(nullptr, sys);
        const auto root = SystemAccess::LocalMachine;
        const QString key = QString::fromLatin1(msinfoKey);
        sys.set(msinfoKey, "text", 1, QByteArray("C:\\One\0stale bytes", 18));
        sys.set(msinfoKey, "number", 4, QByteArray("\x78\x56\x34\x12", 4));
        sys.set(msinfoKey, "multi", 7, QByteArray("a\0b\0\0", 5));

        QString val = QStringLiteral("before");
        QVERIFY(dlg.GetKeyValue(root, key, QStringLiteral("text"), val));
        QCOMPARE(val, QStringLiteral("C:\\One")); // cut at the first zero
        QVERIFY(dlg.GetKeyValue(root, key, QStringLiteral("number"), val));
        QCOMPARE(val, QStringLiteral("305419896"));
        // Other types are read but leave the text as it was.
        val = QStringLiteral("before");
        QVERIFY(dlg.GetKeyValue(root, key, QStringLiteral("multi"), val));
        QCOMPARE(val, QStringLiteral("before"));
        // A missing value or key empties the text.
        val = QStringLiteral("before");
        QVERIFY(!dlg.GetKeyValue(root, key, QStringLiteral("missing"), val));
        QCOMPARE(val, QString());
        val = QStringLiteral("before");
        QVERIFY(!dlg.GetKeyValue(root, QStringLiteral("SOFTWARE\\None"), QStringLiteral("x"), val));
        QCOMPARE(val, QString());
        QCOMPARE(sys.openKeys, 0);
#ifndef _WIN32
        // Texts are in the ANSI code page.
        sys.set(msinfoKey, "sjis", 1, sz(mirka::cp932::encode(u"C:\\ツール")));
        QVERIFY(dlg.GetKeyValue(root, key, QStringLiteral("sjis"), val));
        QCOMPARE(val, QStringLiteral("C:\\ツール"));
#endif
    }

    void enterAndEscCloseLikeOk()
    {
        FakeSystem sys;
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            frmAbout dlg(nullptr, sys);
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            QSignalSpy ok(dlg.cmdOK, &QPushButton::clicked);
            QCOMPARE(dlg.focusWidget(), dlg.cmdOK);
            QTest::keyClick(dlg.focusWidget(), key);
            QCOMPARE(ok.count(), 1);
            QVERIFY(!dlg.isVisible());
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }

        // The modal window, owned by the caller, returns once closed.
        QWidget owner;
        owner.show();
        QPointer<frmAbout> seen;
        QWidget *seenParent = nullptr;
        QTimer::singleShot(0, [&] {
            seen = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
            if (seen) {
                seenParent = seen->parentWidget();
                QTest::keyClick(seen, Qt::Key_Escape);
            }
        });
        frmAbout::showModal(&owner);
        QCOMPARE(seenParent, &owner);
        QVERIFY(seen.isNull()); // unloaded when closed
    }

    void windowShowsTitleAndVersion()
    {
        mirka::twips::setDpiForTesting(96);
        QWidget owner;
        owner.setGeometry(60, 40, 600, 450);
        owner.show();
        FakeSystem sys;
        frmAbout dlg(&owner, sys);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        mirka::twips::setDpiForTesting(0);

        QCOMPARE(dlg.lblVersion->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.1.0"));
        QCOMPARE(dlg.lblTitle->text(), QStringLiteral("webMirkabrowser"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("バージョン情報"));
        QVERIFY(dlg.lblDisclaimer->text().startsWith(QStringLiteral("使用方法等、詳細情報は http")));
        QCOMPARE(dlg.cmdSysInfo->text(), QStringLiteral("ｼｽﾃﾑ情報(&S)..."));
        QVERIFY(dlg.cmdOK->isDefault());
        if (QFontDatabase::families().contains(QStringLiteral("Noto Serif CJK JP")))
            QCOMPARE(QFontInfo(dlg.lblTitle->font()).family(), QStringLiteral("Noto Serif CJK JP"));

        // Fixed 5865 x 2625 twips, no minimize or maximize, over its owner.
        QCOMPARE(dlg.size(), QSize(391, 175));
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        QVERIFY(!(dlg.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        const QPoint offset = dlg.frameGeometry().center() - owner.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 4, qPrintable(QString::number(offset.manhattanLength())));

        // The icon at 32 x 32 and the etched rule: grey over white.
        QCOMPARE(dlg.picIcon->pixmap().deviceIndependentSize().toSize(), QSize(32, 32));
        const QImage rule = dlg.Line1->grab().toImage();
        QCOMPARE(rule.pixelColor(rule.width() / 2, 0), QColor(0x80, 0x80, 0x80));
        QCOMPARE(rule.pixelColor(rule.width() / 2, 1), QColor(Qt::white));
        QCOMPARE(rule.pixelColor(rule.width() / 2, 2), QColor(Qt::white));
    }

    void iconAndWindowsResources()
    {
        const QIcon icon = frmAbout::programIcon();
        const QImage small = icon.pixmap(QSize(32, 32), 1.0).toImage();
        QCOMPARE(small.size(), QSize(32, 32));
        QCOMPARE(small.pixelColor(0, 0).alpha(), 0); // transparent corner
        QCOMPARE(small.pixelColor(16, 16).alpha(), 255);

        // The installable picture and the Windows icon drawn from it.
        const QString source = qEnvironmentVariable("MIRKA_SOURCE_DIR") + "/src/about/icons/";
        QVERIFY(QSvgRenderer(source + "mirka.svg").isValid());
        QImageReader ico(source + "mirka.ico", "ico");
        QSet<int> sides;
        for (int i = 0; i < ico.imageCount(); ++i, ico.jumpToNextImage())
            sides << ico.read().width();
        QVERIFY2(sides.contains(16) && sides.contains(32) && sides.contains(48) && sides.contains(256),
                 qPrintable(ico.errorString()));

        // The version record follows the project version.
        QFile rc(QStringLiteral(MIRKA_GENERATED_RC));
        QVERIFY(rc.open(QIODevice::ReadOnly));
        const QByteArray text = rc.readAll();
        QVERIFY(text.contains("FILEVERSION 1,1,0,0"));
        QVERIFY(text.contains("\"FileVersion\", \"1.1.0.0\""));
        QVERIFY(text.contains("/src/about/icons/mirka.ico\""));
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"

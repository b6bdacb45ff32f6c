#include "about/frmAbout.h"
#include "common/apptitle.h"
#include "../support/scripteddialogs.h"

#include <QFileInfo>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QSet>
#include <QtTest>

namespace {

const QString unavailable = QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません");
const QByteArray msinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QByteArray locationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

// A registry under the local-machine root, a set of existing files and a
// record of the programs started, all scripted by the test.
class FakeSystem : public SystemAccess {
public:
    QMap<QByteArray, QMap<QByteArray, std::pair<quint32, QByteArray>>> keys; // type, data by name
    QSet<QString> files;
    QStringList looked, started; // files looked up, programs started
    int openKeys = 0;

    long openKey(Key root, const QByteArray &path, quint32, Key *key) override
    {
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
        const auto [t, d] = values.value(name);
        if (d.size() > data->size())
            return 234; // ERROR_MORE_DATA: the buffer offered is too small
        *type = t;
        *data = d;
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
    // Where the program is looked for, and the one message when it is not
    // found or cannot be started; the About window stays either way.
    void startSysInfoFindsOrExplains()
    {
        const QString folder = QStringLiteral("C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo");
        const QString program = folder + QStringLiteral("\\MSINFO32.EXE");
        const QString tools = QStringLiteral("E:\\Tools\\msinfo32.exe");
        const QString doubled = QStringLiteral("D:\\MSInfo\\\\MSINFO32.EXE");
        struct Case {
            quint32 pathType; // 0: no PATH value
            QByteArray path;
            QString location; // empty: no location key
            QStringList files, looked;
            QString started;  // empty: the message instead
        };
        const Case cases[] = {
            {0, {}, {}, {}, {}, {}},                        // neither key
            {0, {}, folder, {}, {program}, {}},             // the folder without the program
            {0, {}, folder, {program}, {program}, program}, // the program in the folder
            // A folder ending in "\" gets a second one before the file name.
            {0, {}, "D:\\MSInfo\\", {doubled}, {doubled}, doubled},
            // PATH is the program itself, used unchanged and not looked up;
            // the location key is not consulted.
            // (A string is cut at its first zero.)
            {1, sz(tools.toLatin1()) + "stale", folder, {tools, program}, {}, tools},
            // A PATH that is not a string counts as found but gives no path.
            {3, tools.toLatin1(), folder, {tools, program}, {}, {}},
            {1, sz("E:\\Gone\\msinfo32.exe"), {}, {}, {}, {}}, // cannot be started
        };
        for (const Case &c : cases) {
            FakeSystem sys;
            if (c.pathType)
                sys.keys[msinfoKey]["PATH"] = {c.pathType, c.path};
            if (!c.location.isEmpty())
                sys.keys[locationKey]["MSINFO"] = {1, sz(c.location.toLatin1())};
            sys.files = QSet<QString>(c.files.begin(), c.files.end());
            QCOMPARE(pressSysInfo(sys), c.started.isEmpty() ? QStringList{unavailable} : QStringList{});
            QCOMPARE(sys.started, c.started.isEmpty() ? QStringList{} : QStringList{c.started});
            QCOMPARE(sys.looked, c.looked);
            QCOMPARE(sys.openKeys, 0); // every key opened is closed again
        }
#ifndef _WIN32
        // This system has no registry: the button always explains.
        QCOMPARE(pressSysInfo(SystemAccess::platform()), QStringList{unavailable});
#endif
    }

    void keysAndGuide()
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

        // Over its owner; the guide it points to exists, its address shown
        // whole (or shortened in the middle) inside the label.
        QWidget owner;
        owner.setGeometry(60, 40, 600, 450);
        owner.show();
        frmAbout dlg(&owner, sys);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QPoint offset = dlg.frameGeometry().center() - owner.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 4, qPrintable(QString::number(offset.manhattanLength())));
        const QString guide = frmAbout::userGuide();
        QVERIFY2(QFileInfo(guide).isFile(), qPrintable(guide));
        const QString address = QUrl::fromLocalFile(guide).toString();
        QCOMPARE(dlg.lblDisclaimer->toolTip(), address);
        const QString text = dlg.lblDisclaimer->text();
        QVERIFY(text.startsWith(QStringLiteral("使用方法等、詳細情報は <br><a href=\"") + address + u'"'));
        const QString shown = text.section(u'>', 1).section(u'<', 0, 0);
        QVERIFY(dlg.lblDisclaimer->fontMetrics().horizontalAdvance(shown) <= dlg.lblDisclaimer->width());
        QVERIFY(dlg.lblDisclaimer->heightForWidth(dlg.lblDisclaimer->width()) <= dlg.lblDisclaimer->height());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"

#include "about/frmAbout.h"

#include "common/apptitle.h"
#include "common/codepage.h"
#include "common/dialogs.h"
#include "common/twips.h"
#include "mirka_version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QList>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSvgRenderer>
#include <QUrl>
#include <QtEndian>

// Resources of a static library must be registered by hand; outside any
// namespace, as the macro requires.
static void initAboutResources() { Q_INIT_RESOURCE(about); }

namespace {

// Where the user guide is installed, seen from the program's folder.
const char *const installedGuide = "../share/doc/mirka/guide.md";

// The etched rule under the version: a grey line with a white one two
// pixels wide just below it.
class EtchedRule : public QWidget {
public:
    explicit EtchedRule(QWidget *parent) : QWidget(parent)
    {
        using namespace mirka::twips;
        const int left = toPixelsX(345);
        const int top = toPixelsY(1350);
        m_white = QPoint(toPixelsX(360) - left, qMax(1, toPixelsY(1365) - top));
        setGeometry(left, top, toPixelsX(5777) - left + 1, m_white.y() + 2);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(QRect(m_white.x(), m_white.y(), width() - m_white.x(), 2), Qt::white);
        p.fillRect(QRect(0, 0, width(), 1), QColor(0x80, 0x80, 0x80));
    }

private:
    QPoint m_white;
};

// Registry texts are in the system's ANSI code page.
QByteArray toAnsi(const QString &text)
{
#ifdef _WIN32
    return text.toLocal8Bit();
#else
    return mirka::cp932::encode(text);
#endif
}

QString fromAnsi(const QByteArray &bytes)
{
#ifdef _WIN32
    return QString::fromLocal8Bit(bytes);
#else
    return mirka::cp932::decode(bytes);
#endif
}

// The program icon drawn once at the usual sizes (images, not pixmaps, so
// the cache may outlive the application object).
const QList<QImage> &iconImages()
{
    static const QList<QImage> images = [] {
        initAboutResources();
        QSvgRenderer svg(QStringLiteral(":/mirka/mirka.svg"));
        QList<QImage> out;
        for (int size : {16, 24, 32, 48, 64, 128, 256}) {
            QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            svg.render(&p);
            p.end();
            out << image;
        }
        return out;
    }();
    return images;
}

} // namespace

frmAbout::frmAbout(QWidget *owner) : frmAbout(owner, SystemAccess::platform()) {}

frmAbout::frmAbout(QWidget *owner, SystemAccess &system)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                         | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                         | Qt::MSWindowsFixedSizeDialogHint),
      m_system(system)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFixedSize(mirka::twips::toPixelsX(5865), mirka::twips::toPixelsY(2625));

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(mirka::twips::toPixels(240, 240, 540, 540));
    picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picIcon->setPixmap(programIcon().pixmap(QSize(32, 32), devicePixelRatioF()));

    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setGeometry(mirka::twips::toPixels(1050, 240, 4092, 480));
    lblTitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont mincho = lblTitle->font();
    mincho.setFamilies({QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("MS PMincho"),
                        QStringLiteral("Noto Serif CJK JP"), QStringLiteral("IPAPMincho"),
                        QStringLiteral("IPAexMincho")});
    mincho.setStyleHint(QFont::Serif);
    mincho.setPointSize(16);
    lblTitle->setFont(mincho);

    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(mirka::twips::toPixels(1050, 780, 4092, 225));
    lblVersion->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Line1 = new EtchedRule(this);
    Line1->setObjectName(QStringLiteral("Line1"));

    lblDisclaimer = new QLabel(this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setGeometry(mirka::twips::toPixels(375, 1545, 3870, 825));
    lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setOpenExternalLinks(true);
    // The address goes whole on a line of its own, shortened in the middle
    // when the line cannot hold it; the tooltip tells it in full.
    const QString guide = QUrl::fromLocalFile(userGuide()).toString();
    const QString shown = lblDisclaimer->fontMetrics().elidedText(guide, Qt::ElideMiddle,
                                                                  lblDisclaimer->width() - 2);
    lblDisclaimer->setText(QStringLiteral("使用方法等、詳細情報は <br>"
                                          "<a href=\"%1\" style=\"white-space:nowrap\">%2</a>")
                               .arg(guide.toHtmlEscaped(), shown.toHtmlEscaped()));
    lblDisclaimer->setToolTip(guide);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(mirka::twips::toPixels(4365, 1545, 1467, 345));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    cmdSysInfo = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setGeometry(mirka::twips::toPixels(4380, 1995, 1452, 345));
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    setTabOrder(cmdOK, cmdSysInfo);
    cmdOK->setFocus();
    loadForm();
}

void frmAbout::loadForm()
{
    lblVersion->setText(QStringLiteral("ﾊﾞｰｼﾞｮﾝ ") + QString::number(MIRKA_VERSION_MAJOR) + u'.'
                        + QString::number(MIRKA_VERSION_MINOR) + u'.'
                        + QString::number(MIRKA_VERSION_PATCH));
    lblTitle->setText(mirka::appTitle());
}

void frmAbout::showModal(QWidget *owner)
{
    frmAbout dlg(owner);
    dlg.exec();
}

QString frmAbout::userGuide()
{
    // Installed beside the program's folder; in a portable copy or a build
    // tree, a "docs" folder in the program's folder or above it.
    const QDir exe(QCoreApplication::applicationDirPath());
    QStringList candidates{exe.absoluteFilePath(QLatin1String(installedGuide))};
    QDir dir = exe;
    for (int up = 0; up < 4; ++up) {
        candidates << dir.absoluteFilePath(QStringLiteral("docs/guide.md"));
        if (!dir.cdUp())
            break;
    }
    for (const QString &path : candidates)
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    return QDir::cleanPath(candidates.first());
}

QIcon frmAbout::programIcon()
{
    QIcon icon;
    for (const QImage &image : iconImages())
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

// Esc is the cancel key of cmdOK: it closes the window the same way.
void frmAbout::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmAbout::StartSysInfo()
{
    const auto root = SystemAccess::LocalMachine;
    QString path;
    bool found = GetKeyValue(root, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                             QStringLiteral("PATH"), path);
    if (!found) {
        QString folder;
        // The folder is taken as it is: one ending in "\" gets a second one.
        if (GetKeyValue(root, QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                        QStringLiteral("MSINFO"), folder)) {
            const QString candidate = folder + QStringLiteral("\\MSINFO32.EXE");
            if (m_system.fileExists(candidate)) {
                path = candidate;
                found = true;
            }
        }
    }
    if (found && m_system.startProgram(path))
        return;
    mirka::MsgBox(QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"), mirka::MsgButtons::OK,
                  mirka::appTitle(), this);
}

bool frmAbout::GetKeyValue(SystemAccess::Key KeyRoot, const QString &KeyName,
                           const QString &SubKeyRef, QString &KeyVal)
{
    constexpr int bufferSize = 1024;
    // Read rights only: a standard user may not open the machine's keys for
    // writing, and nothing here writes.
    SystemAccess::Key key = 0;
    if (m_system.openKey(KeyRoot, toAnsi(KeyName), SystemAccess::KeyRead, &key)
        != SystemAccess::Success) {
        KeyVal.clear();
        return false;
    }
    quint32 type = 0;
    QByteArray data(bufferSize, '\0');
    if (m_system.queryValue(key, toAnsi(SubKeyRef), &type, &data) != SystemAccess::Success) {
        KeyVal.clear();
        m_system.closeKey(key);
        return false;
    }
    if (type == SystemAccess::TypeString) {
        const qsizetype end = data.indexOf('\0');
        KeyVal = fromAnsi(end < 0 ? data : data.first(end));
    } else if (type == SystemAccess::TypeNumber) {
        const QByteArray number = data.leftJustified(4, '\0', true);
        KeyVal = QString::number(qFromLittleEndian<quint32>(number.constData()));
    }
    m_system.closeKey(key);
    return true;
}

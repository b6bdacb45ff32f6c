#include "shell/Form1.h"

#include "common/dialogs.h"
#include "common/fonts.h"
#include "common/twips.h"
#include "model/options.h"
#include "shell/options.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

static Form1 *g_form = nullptr;

namespace {

// Grey is a value the program sets; a click only ever checks or unchecks.
class Check1Box : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override
    {
        setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
};

void place(QWidget *w, const char *name, int left, int top, int width, int height)
{
    w->setObjectName(QLatin1String(name));
    w->setGeometry(mirka::twips::toPixels(left, top, width, height));
}

QFont labelFont() { return mirka::gothicFont(9); }

} // namespace

Form1::Form1()
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("オプション"));
    setFixedSize(mirka::twips::toPixelsX(6660), mirka::twips::toPixelsY(2055));

    QPalette pal = palette();
    pal.setColor(QPalette::Window, QApplication::palette("QMenu").color(QPalette::Window));
    setPalette(pal);
    setAutoFillBackground(true);

    Label1 = new QLabel(QStringLiteral("スタートページ"), this);
    place(Label1, "Label1", 360, 120, 1455, 255);
    Label1->setFont(labelFont());
    Text1 = new QLineEdit(this);
    place(Text1, "Text1", 1920, 120, 4335, 270);
    Label2 = new QLabel(QStringLiteral("検索エンジン"), this);
    place(Label2, "Label2", 360, 600, 1215, 255);
    Label2->setFont(labelFont());
    Text2 = new QLineEdit(this);
    place(Text2, "Text2", 1920, 600, 4335, 270);
    Check1 = new Check1Box(QStringLiteral("起動時にブラスザを開く"), this);
    Check1->setTristate(true);
    place(Check1, "Check1", 360, 1200, 2535, 375);
    Command1 = new QPushButton(QStringLiteral("閉じる"), this);
    place(Command1, "Command1", 5040, 1560, 1215, 375);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);

    // The fields show the live options and edit them as the user types.
    mirka::Options &o = mirka::Options::current();
    showOptionValues();
    connect(&o, &mirka::Options::changed, this, &Form1::showOptionValues);
    connect(Text1, &QLineEdit::textChanged, &o, &mirka::Options::setStartPage);
    connect(Text2, &QLineEdit::textChanged, &o, &mirka::Options::setSearchPage);
    connect(Check1, &QCheckBox::stateChanged, &o, [this, &o] { o.setOpenBrowserAtStart(Check1Value()); });
}

void Form1::showOptionValues()
{
    const mirka::Options &o = mirka::Options::current();
    if (Text1->text() != o.startPage())
        Text1->setText(o.startPage());
    if (Text2->text() != o.searchPage())
        Text2->setText(o.searchPage());
    setCheck1Value(o.openBrowserAtStart());
}

Form1::~Form1()
{
    if (g_form == this)
        g_form = nullptr;
}

Form1 &Form1::get()
{
    if (!g_form) {
        g_form = new Form1;
        const QString notice = mirka::Options::current().takeNotice();
        if (!notice.isEmpty())
            mirka::MsgBox(notice);
    }
    return *g_form;
}

bool Form1::isLoaded() { return g_form != nullptr; }

void Form1::showOptions()
{
    Form1 &f = get();
    f.show();
    f.raise();
    f.activateWindow();
}

void Form1::unload()
{
    delete g_form;
    g_form = nullptr;
    mirka::Options::forget();
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    // Gone at once for every reader, edits and all: the next read loads
    // again from the file.
    if (g_form == this)
        g_form = nullptr;
    mirka::Options::forget();
    deleteLater();
}

void Form1::Command1_Click()
{
    hide();
    Module1::SaveOptions();
}

int Form1::Check1Value() const
{
    switch (Check1->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void Form1::setCheck1Value(int value)
{
    switch (value) {
    case 0:
        Check1->setCheckState(Qt::Unchecked);
        break;
    case 1:
        Check1->setCheckState(Qt::Checked);
        break;
    case 2:
        Check1->setCheckState(Qt::PartiallyChecked);
        break;
    default:
        break;
    }
}

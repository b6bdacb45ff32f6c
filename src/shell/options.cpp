#include "shell/options.h"

#include "common/dialogs.h"
#include "common/paths.h"
#include "common/savefile.h"
#include "shell/Form1.h"
#include "shell/optionsfile.h"

#include <QCheckBox>
#include <QLineEdit>

namespace Module1 {

static QString optionsFile() { return mirka::settingsFile(QStringLiteral("mirka.ini")); }

void LoadOptions()
{
    QByteArray bytes;
    mirka::readWholeFile(optionsFile(), &bytes);
    const mirka::options::Values v = mirka::options::parse(bytes);
    Form1 &f = Form1::get();
    f.Text1->setText(v.startPage);
    f.Text2->setText(v.searchPage);
    f.setCheck1Value(v.check);
}

void SaveOptions()
{
    const Form1 &f = Form1::get();
    const QByteArray bytes =
        mirka::options::format({f.Text1->text(), f.Text2->text(), f.Check1Value()});

    const QString path = optionsFile();
    QString reason;
    if (!mirka::writeFileAtomically(path, bytes, &reason))
        mirka::MsgBox(QStringLiteral("オプションを保存できませんでした。\n%1\n%2").arg(path, reason));
}

} // namespace Module1

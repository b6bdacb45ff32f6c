#include "shell/options.h"

#include "common/dialogs.h"
#include "common/fileerror.h"
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
    // A missing or short file leaves the fields it lacks empty (unchecked);
    // so does one that is not a regular file, without being opened. One far
    // larger than any options file is not read, and the user is told.
    const QString path = optionsFile();
    QByteArray bytes;
    if (mirka::exceedsSize(path, mirka::maxSettingsFileSize))
        mirka::MsgBox(mirka::fileFailureMessage(QStringLiteral("オプションのファイルを読み込めませんでした。"),
                                                path, mirka::tooLargeReason(mirka::maxSettingsFileSize)));
    else
        mirka::readWholeFile(path, &bytes, nullptr, mirka::maxSettingsFileSize);
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
        mirka::MsgBox(mirka::fileFailureMessage(QStringLiteral("オプションを保存できませんでした。"), path, reason));
}

} // namespace Module1

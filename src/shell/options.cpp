#include "shell/options.h"

#include "common/dialogs.h"
#include "common/fieldrecord.h"
#include "common/fileerror.h"
#include "common/paths.h"
#include "common/savefile.h"
#include "shell/Form1.h"

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
    mirka::FieldRecordReader in(bytes);
    QString startPage, searchPage, check;
    in.read(&startPage);
    in.read(&searchPage);
    int value = 0;
    if (in.read(&check)) {
        bool ok = false;
        value = check.toInt(&ok);
        if (!ok)
            value = -1; // not 0, 1 or 2: the box stays as it is
    }

    Form1 &f = Form1::get();
    f.Text1->setText(startPage);
    f.Text2->setText(searchPage);
    f.setCheck1Value(value);
}

void SaveOptions()
{
    const Form1 &f = Form1::get();
    mirka::FieldRecordWriter out;
    out.text(f.Text1->text()).endLine();
    out.text(f.Text2->text()).endLine();
    out.number(f.Check1Value()).endLine();

    const QString path = optionsFile();
    QString reason;
    if (!mirka::writeFileAtomically(path, out.data(), &reason))
        mirka::MsgBox(mirka::fileFailureMessage(QStringLiteral("オプションを保存できませんでした。"), path, reason));
}

} // namespace Module1

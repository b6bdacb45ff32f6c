#include "shell/options.h"

#include "common/dialogs.h"
#include "common/fileerror.h"
#include "model/options.h"

namespace Module1 {

void LoadOptions()
{
    mirka::Options &o = mirka::Options::current();
    o.load();
    const QString notice = o.takeNotice();
    if (!notice.isEmpty())
        mirka::MsgBox(notice);
}

void SaveOptions()
{
    QString reason;
    if (!mirka::Options::current().save(&reason))
        mirka::MsgBox(mirka::fileFailureMessage(QStringLiteral("オプションを保存できませんでした。"),
                                                mirka::Options::filePath(), reason));
}

} // namespace Module1

#include "shell/qtjapanese.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace mirka {

bool installQtJapanese()
{
    auto *app = QCoreApplication::instance();
    if (!app)
        return false;
    const QString folders[] = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations")),
    };
    for (const QString &folder : folders) {
        auto *t = new QTranslator(app);
        if (t->load(QStringLiteral("qtbase_ja"), folder) && QCoreApplication::installTranslator(t))
            return true;
        delete t;
    }
    return false;
}

} // namespace mirka

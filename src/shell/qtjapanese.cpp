#include "shell/qtjapanese.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace mirka {

bool installQtJapanese()
{
    auto *app = QCoreApplication::instance();
    if (!app)
        return false;
    // Dates and names in Qt's dialogs (the file dialog's columns) follow it.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
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

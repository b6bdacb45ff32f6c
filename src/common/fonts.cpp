#include "common/fonts.h"

#include <QFontDatabase>
#include <QSet>
#include <QStringList>

namespace mirka {

QString gothicDesignFamily() { return QStringLiteral("ＭＳ Ｐゴシック"); }

bool fontInstalled(const QString &family)
{
    // Asked once per font of every RTF table read: look the names up once.
    static const QSet<QString> installed = [] {
        const QStringList families = QFontDatabase::families();
        return QSet<QString>(families.begin(), families.end());
    }();
    return installed.contains(family);
}

QString gothicFamily()
{
    static const QString family = [] {
        const QString preferred = gothicDesignFamily();
        for (const QString &f : {preferred, QStringLiteral("MS PGothic"),
                                 QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"),
                                 QStringLiteral("VL PGothic"), QStringLiteral("TakaoPGothic")})
            if (fontInstalled(f))
                return f;
        return preferred;
    }();
    return family;
}

QFont gothicFont(double points, bool bold)
{
    QFont f(gothicFamily());
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

} // namespace mirka

#include "common/fonts.h"

#include <QFontDatabase>
#include <QSet>
#include <QStringList>
#include <utility>

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

void installJapaneseFontSubstitutes()
{
    const QStringList pGothic{"Noto Sans CJK JP", "IPAPGothic", "IPAexGothic", "VL PGothic", "TakaoPGothic"};
    const QStringList gothic{"IPAGothic", "Noto Sans Mono CJK JP", "VL Gothic", "TakaoGothic", "Noto Sans CJK JP"};
    // A Gothic face draws a missing Mincho better than a Western one does.
    const QStringList pMincho = QStringList{"IPAPMincho", "Noto Serif CJK JP", "IPAexMincho", "TakaoPMincho"} + pGothic;
    const QStringList mincho = QStringList{"IPAMincho", "Noto Serif CJK JP", "TakaoMincho", "IPAPMincho"} + pGothic;
    const std::pair<QStringList, QStringList> kinds[] = {
        {{"ＭＳ Ｐゴシック", "MS PGothic", "ＭＳ ＵＩ Gothic", "MS UI Gothic", "メイリオ", "Meiryo", "Meiryo UI",
          "游ゴシック", "Yu Gothic", "Yu Gothic UI"},
         pGothic},
        {{"ＭＳ ゴシック", "MS Gothic"}, gothic},
        {{"ＭＳ Ｐ明朝", "MS PMincho", "游明朝", "Yu Mincho"}, pMincho},
        {{"ＭＳ 明朝", "MS Mincho"}, mincho},
    };
    for (const auto &[names, candidates] : kinds) {
        QStringList installed;
        for (const QString &c : candidates)
            if (fontInstalled(c))
                installed << c;
        if (installed.isEmpty())
            continue;
        for (const QString &name : names)
            if (!fontInstalled(name))
                QFont::insertSubstitutions(name, installed);
    }
}

QFont gothicFont(double points, bool bold)
{
    QFont f(gothicFamily());
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

} // namespace mirka

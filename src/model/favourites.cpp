#include "model/favourites.h"

#include "common/codepage.h"
#include "common/fieldrecord.h"
#include "common/fileerror.h"
#include "common/paths.h"
#include "common/savefile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <cmath>

namespace mirka::favourites {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

qsizetype skipDigits(const QString &s, qsizetype pos)
{
    while (pos < s.size() && isDigit(s[pos]))
        ++pos;
    return pos;
}

} // namespace

QList<Favourite> parse(const QByteArray &fileBytes, bool *more)
{
    QList<Favourite> list;
    if (more)
        *more = false;
    FieldRecordReader::forEachLine(fileBytes, [&](const QByteArray &raw) {
        if (raw.trimmed().isEmpty())
            return true;
        if (list.size() >= maxFavourites) {
            if (more)
                *more = true;
            return false;
        }
        const QStringList fields = FieldRecordReader::splitLine(cp932::decode(raw));
        Favourite f;
        f.storedLine = raw;
        bool ok = false;
        const int icon = fields.value(0).toInt(&ok);
        if (fields.size() == 3 && ok && icon >= 1 && icon <= iconCount) {
            f.icon = icon;
            f.text = fields[1];
            f.address = fields[2];
        } else {
            f.text = fields.size() >= 2 ? fields[1] : fields.value(0);
            f.address = fields.value(2);
        }
        list << f;
        return true;
    });
    return list;
}

QString filePath()
{
    return settingsFile(QStringLiteral("tobla.ini"));
}

QByteArray format(const QList<Favourite> &list)
{
    QByteArray out;
    for (const Favourite &f : list) {
        if (!f.storedLine.isEmpty())
            out += f.storedLine + "\r\n";
        else
            out += FieldRecordWriter()
                       .number(f.icon)
                       .text(f.text)
                       .text(cp932::storableAddress(f.address))
                       .endLine()
                       .data();
    }
    return out;
}

Loaded load(const QString &path)
{
    Loaded out;
    QString notice;
    QByteArray bytes;
    if (exceedsSize(path, maxSettingsFileSize)) {
        notice = fileFailureMessage(QStringLiteral("お気に入りのファイルを読み込めませんでした。"), path,
                                    tooLargeReason(maxSettingsFileSize));
    } else if (readWholeFile(path, &bytes, nullptr, maxSettingsFileSize)) {
        bool more = false;
        out.list = parse(bytes, &more);
        if (more)
            notice = fileFailureMessage(
                QStringLiteral("お気に入りが多すぎるため、最初の %1 件だけを読み込みました。").arg(maxFavourites),
                path, QStringLiteral("残りは読み込んでいません。追加や削除をするまでファイルはそのままです。"));
    }
    // Told once for each state of the file.
    static QHash<QString, QString> told;
    const QFileInfo info(path);
    const QString state = notice + u'|' + QString::number(info.size()) + u'|'
        + info.lastModified().toString(Qt::ISODateWithMs);
    if (notice.isEmpty())
        told.remove(path);
    else if (told.value(path) != state) {
        told.insert(path, state);
        out.notice = notice;
    }
    return out;
}

double readIconAnswer(const QString &answer)
{
    QString s;
    for (QChar c : answer)
        if (c != u' ' && c != u'\t' && c != u'\n')
            s += c;

    qsizetype pos = 0;
    QString sign;
    if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-'))
        sign = s[pos++];
    const qsizetype intStart = pos;
    pos = skipDigits(s, pos);
    const QString intDigits = s.mid(intStart, pos - intStart);
    QString fracDigits;
    if (pos < s.size() && s[pos] == u'.') {
        const qsizetype fracStart = pos + 1;
        const qsizetype fracEnd = skipDigits(s, fracStart);
        fracDigits = s.mid(fracStart, fracEnd - fracStart);
        pos = fracEnd;
    }
    if (intDigits.isEmpty() && fracDigits.isEmpty())
        return 0;
    QString exponent;
    if (pos < s.size() && (s[pos] == u'e' || s[pos] == u'E')) {
        qsizetype e = pos + 1;
        QString expSign;
        if (e < s.size() && (s[e] == u'+' || s[e] == u'-'))
            expSign = s[e++];
        const qsizetype expEnd = skipDigits(s, e);
        if (expEnd > e) // an "e" without digits is not part of the number
            exponent = u'e' + expSign + s.mid(e, expEnd - e);
    }

    const QString number = sign + (intDigits.isEmpty() ? QStringLiteral("0") : intDigits) + u'.'
        + (fracDigits.isEmpty() ? QStringLiteral("0") : fracDigits) + exponent;
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    if (!ok || !std::isfinite(value))
        return 0;
    // nearbyint rounds in the default mode, to nearest with halves to even.
    return std::nearbyint(value);
}

} // namespace mirka::favourites

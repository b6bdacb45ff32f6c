#include "common/fileerror.h"

#include <QDir>
#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#endif

namespace mirka {

int lastSystemError()
{
#ifdef _WIN32
    const DWORD code = GetLastError();
    return code ? int(code) : errno;
#else
    return errno;
#endif
}

void clearSystemError()
{
#ifdef _WIN32
    SetLastError(0);
#endif
    errno = 0;
}

QString systemErrorReason(int code, bool writing)
{
    const QString refused = writing ? QStringLiteral("書き込みが許可されていません。")
                                    : QStringLiteral("読み込みが許可されていません。");
#ifdef _WIN32
    switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return QStringLiteral("ディスクの空き容量が足りません。");
    case ERROR_ACCESS_DENIED:
        return refused;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return QStringLiteral("ほかのプログラムがファイルを使っています。");
    case ERROR_WRITE_PROTECT:
        return QStringLiteral("書き込み禁止の場所です。");
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return QStringLiteral("ファイルまたはフォルダーが見つかりません。");
    case ERROR_FILENAME_EXCED_RANGE:
        return QStringLiteral("ファイル名が長すぎます。");
    case ERROR_INVALID_NAME:
        return QStringLiteral("ファイル名に使えない文字が含まれています。");
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return QStringLiteral("同じ名前のファイルがすでにあります。");
    default:
        break;
    }
#endif
    switch (code) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("ディスクの空き容量が足りません。");
    case EACCES:
    case EPERM:
        return refused;
#ifdef EROFS
    case EROFS:
        return QStringLiteral("書き込み禁止の場所です。");
#endif
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("ファイルまたはフォルダーが見つかりません。");
    case ENAMETOOLONG:
        return QStringLiteral("ファイル名が長すぎます。");
    case EISDIR:
        return notRegularFileReason();
    case EEXIST:
        return QStringLiteral("同じ名前のファイルがすでにあります。");
    case EFBIG:
        return QStringLiteral("ファイルが大きすぎます。");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("開いているファイルが多すぎます。");
    case EIO:
        return QStringLiteral("装置の読み書きでエラーが起きました。");
    case EBUSY:
        return QStringLiteral("ほかのプログラムがファイルを使っています。");
    case 0:
        break;
    default:
        return (writing ? QStringLiteral("書き込めませんでした（エラー番号 %1）。")
                        : QStringLiteral("読み込めませんでした（エラー番号 %1）。"))
            .arg(code);
    }
    return writing ? QStringLiteral("書き込めませんでした。") : QStringLiteral("読み込めませんでした。");
}

QString notRegularFileReason()
{
    return QStringLiteral("通常のファイルではありません（フォルダーや特殊なファイルです）。");
}

QString tooLargeReason(qint64 maxBytes)
{
    return QStringLiteral("ファイルが大きすぎます（%1 MB まで）。").arg(maxBytes / (1024 * 1024));
}

QString fileFailureMessage(const QString &headline, const QString &path, const QString &reason)
{
    return QStringLiteral("%1\n%2\n%3").arg(headline, QDir::toNativeSeparators(path), reason);
}

} // namespace mirka

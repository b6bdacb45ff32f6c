#include "about/systemaccess.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#include <string>
#else
#include <QFileInfo>
#include <QProcess>
#endif

namespace {

#ifdef _WIN32

class WindowsSystemAccess : public SystemAccess {
public:
    long openKey(Key root, const QByteArray &path, quint32 access, Key *key) override
    {
        HKEY handle = nullptr;
        const LONG r = RegOpenKeyExA(reinterpret_cast<HKEY>(root), path.constData(), 0,
                                     REGSAM(access), &handle);
        *key = reinterpret_cast<Key>(handle);
        return r;
    }

    long queryValue(Key key, const QByteArray &name, quint32 *type, QByteArray *data) override
    {
        DWORD valueType = 0;
        DWORD size = DWORD(data->size());
        const LONG r = RegQueryValueExA(reinterpret_cast<HKEY>(key), name.constData(), nullptr,
                                        &valueType, reinterpret_cast<LPBYTE>(data->data()),
                                        &size);
        *type = valueType;
        if (r == ERROR_SUCCESS)
            data->truncate(qsizetype(size));
        return r;
    }

    void closeKey(Key key) override { RegCloseKey(reinterpret_cast<HKEY>(key)); }

    bool fileExists(const QString &path) override
    {
        const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(path.utf16()));
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool startProgram(const QString &path) override
    {
        if (path.isEmpty())
            return false;
        const std::wstring file = path.toStdWString();
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_FLAG_NO_UI; // the caller tells the user itself
        info.lpVerb = L"open";
        info.lpFile = file.c_str();
        info.nShow = SW_SHOWNORMAL;
        return ShellExecuteExW(&info) != FALSE;
    }
};

using PlatformSystemAccess = WindowsSystemAccess;

#else

// No registry on this system: every key is missing, so the system-information
// program is never found. Files and processes are the real ones.
class PortableSystemAccess : public SystemAccess {
public:
    long openKey(Key, const QByteArray &, quint32, Key *key) override
    {
        *key = 0;
        return NotFound;
    }
    long queryValue(Key, const QByteArray &, quint32 *type, QByteArray *) override
    {
        *type = 0;
        return NotFound;
    }
    void closeKey(Key) override {}
    bool fileExists(const QString &path) override { return QFileInfo(path).isFile(); }
    bool startProgram(const QString &path) override
    {
        return !path.isEmpty() && QProcess::startDetached(path, {});
    }
};

using PlatformSystemAccess = PortableSystemAccess;

#endif

} // namespace

SystemAccess &SystemAccess::platform()
{
    static PlatformSystemAccess access;
    return access;
}

#pragma once
#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The registry reads, the file look-up and the program start that the About
// window needs, kept behind one interface: Windows provides them through
// advapi32 and the shell, other systems have no registry, and tests script
// their own.
class SystemAccess {
public:
    // A registry key handle; the roots are predefined handles.
    using Key = quintptr;
    // HKEY_LOCAL_MACHINE as the 32-bit value Windows defines, sign-extended
    // to the width of a handle the way the Windows headers do.
    static constexpr Key LocalMachine = Key(qintptr(qint32(0x80000002u)));

    // Access right for reading a key: query, enumerate, notify, read control.
    static constexpr quint32 KeyRead = 0x20019;
    static constexpr quint32 TypeString = 1; // REG_SZ
    static constexpr quint32 TypeNumber = 4; // REG_DWORD
    static constexpr long Success = 0;
    static constexpr long NotFound = 2; // ERROR_FILE_NOT_FOUND

    virtual ~SystemAccess() = default;

    // Each returns 0 on success or a Windows error code, as the registry does.
    virtual long openKey(Key root, const QByteArray &path, quint32 access, Key *key) = 0;
    // data holds the buffer on entry (its size is the room offered) and the
    // value's bytes on return.
    virtual long queryValue(Key key, const QByteArray &name, quint32 *type,
                            QByteArray *data) = 0;
    virtual void closeKey(Key key) = 0;

    // Whether a file of that full name exists.
    virtual bool fileExists(const QString &path) = 0;
    // Starts the program as a separate process in a normal, focused window
    // and returns at once; false when it could not be started.
    virtual bool startProgram(const QString &path) = 0;

    // The operations of the system the program runs on.
    static SystemAccess &platform();
};

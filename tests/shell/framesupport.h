#pragma once
// What both shell test programs need: the frame started as the program
// starts it, and the stored placement.
#include "shell/frmMain.h"

#include <QSettings>
#include <QStringList>
#include <QTest>
#include <memory>

// The stored placement, after storing the given values if there are any.
inline QStringList storedPlacement(const QStringList &values = {})
{
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("webMirkabrowser"));
    s.beginGroup(QStringLiteral("Settings"));
    QStringList out;
    for (const char *key : {"MainLeft", "MainTop", "MainWidth", "MainHeight"}) {
        if (!values.isEmpty())
            s.setValue(key, values[out.size()]);
        out << s.value(key).toString();
    }
    return out;
}

// The frame after its load step, shown.
inline std::unique_ptr<frmMain> start()
{
    auto frame = std::make_unique<frmMain>();
    frame->Form_Load();
    frame->show();
    if (!QTest::qWaitForWindowExposed(frame.get()))
        qWarning("frame not exposed");
    return frame;
}

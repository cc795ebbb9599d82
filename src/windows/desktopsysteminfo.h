// The system-information seam on the desktop the program runs on.
#pragma once

#include "core/platform/systeminfo.h"

#include <QStringList>

// On Windows: the registry and the start of a program. Elsewhere there is no
// registry: the first look-up is answered with the first desktop
// system-information program found on the PATH, the second with nothing, and
// the program is started as a detached process.
class DesktopSystemInfo : public SystemInfo {
public:
    std::optional<RegistryValue> queryValue(RegistryRoot root, const QString& keyName,
                                            const QString& valueName) override;
    bool fileExists(const QString& path) override;
    bool startProgram(const QString& path) override;
};

// System-information programs of the common Linux desktops, in the order
// they are looked for.
inline const QStringList kSystemInfoPrograms = {
    QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
    QStringLiteral("cpu-x"),     QStringLiteral("lshw-gtk"), QStringLiteral("i-nex"),
};

// The one the program uses when it is given none.
SystemInfo& desktopSystemInfo();

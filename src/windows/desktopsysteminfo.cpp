#include "windows/desktopsysteminfo.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#ifdef Q_OS_WIN

std::optional<RegistryValue>
DesktopSystemInfo::queryValue(RegistryRoot root, const QString& keyName, const QString& valueName) {
    if (root != RegistryRoot::LocalMachine)
        return std::nullopt;
    HKEY key = nullptr;
    // Reading is all that is needed; asking for more is refused to ordinary
    // users under HKEY_LOCAL_MACHINE.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName.toLocal8Bit().constData(), 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return std::nullopt;
    char buffer[kRegistryValueRoom];
    DWORD type = 0;
    DWORD size = sizeof buffer;
    const LONG status = RegQueryValueExA(key, valueName.toLocal8Bit().constData(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return RegistryValue{type, QByteArray(buffer, static_cast<qsizetype>(size))};
}

#else

std::optional<RegistryValue> DesktopSystemInfo::queryValue(RegistryRoot, const QString& keyName,
                                                           const QString& valueName) {
    if (keyName != kMsInfoKey || valueName != kMsInfoValue)
        return std::nullopt;
    for (const QString& name : kSystemInfoPrograms) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return RegistryValue{kRegistryString, QFile::encodeName(path) + '\0'};
    }
    return std::nullopt;
}

#endif

bool DesktopSystemInfo::fileExists(const QString& path) {
    return QFileInfo(path).isFile();
}

bool DesktopSystemInfo::startProgram(const QString& path) {
    // The path is the program itself: no shell, no arguments.
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return false;
    return QProcess::startDetached(path, {});
}

SystemInfo& desktopSystemInfo() {
    static DesktopSystemInfo system;
    return system;
}

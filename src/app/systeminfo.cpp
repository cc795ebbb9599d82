#include "app/systeminfo.h"

#include "app/dialogs.h"

bool GetKeyValue(SystemInfo& system, RegistryRoot KeyRoot, const QString& KeyName,
                 const QString& SubKeyRef, QString& KeyVal) {
    const std::optional<RegistryValue> value = system.queryValue(KeyRoot, KeyName, SubKeyRef);
    if (!value || value->data.size() > kRegistryValueRoom) {
        KeyVal.clear();
        return false;
    }
    QByteArray bytes = value->data;
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    switch (value->type) {
    case kRegistryString:
        KeyVal = QString::fromLocal8Bit(bytes);
        break;
    case kRegistryNumber: {
        std::uint32_t number = 0;
        for (qsizetype i = std::min<qsizetype>(value->data.size(), 4) - 1; i >= 0; --i)
            number = number << 8 | static_cast<std::uint8_t>(value->data[i]);
        KeyVal = QStringLiteral("&h") + QString::number(number, 16).toUpper();
        break;
    }
    default:
        break;
    }
    return true;
}

void StartSysInfo(SystemInfo& system, Dialogs& dialogs) {
    QString path;
    bool found = GetKeyValue(system, RegistryRoot::LocalMachine, kMsInfoKey, kMsInfoValue, path);
    if (!found &&
        GetKeyValue(system, RegistryRoot::LocalMachine, kSharedToolsKey, kSharedToolsValue, path) &&
        system.fileExists(path + kMsInfoProgram)) {
        path += kMsInfoProgram;
        found = true;
    }
    if (found && system.startProgram(path))
        return;
    dialogs.message(kSysInfoUnavailableText, Buttons::Ok);
}

#include "core/operations/systeminformation.h"

#include "core/platform/prompt.h"

std::optional<QString> registryText(SystemInfo& system, RegistryRoot root, const QString& keyName,
                                    const QString& valueName, const QString& previous) {
    const std::optional<RegistryValue> value = system.queryValue(root, keyName, valueName);
    if (!value || value->data.size() > kRegistryValueRoom)
        return std::nullopt;
    QByteArray bytes = value->data;
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    switch (value->type) {
    case kRegistryString:
        return QString::fromLocal8Bit(bytes);
    case kRegistryNumber: {
        std::uint32_t number = 0;
        for (qsizetype i = std::min<qsizetype>(value->data.size(), 4) - 1; i >= 0; --i)
            number = number << 8 | static_cast<std::uint8_t>(value->data[i]);
        return QStringLiteral("&h") + QString::number(number, 16).toUpper();
    }
    default:
        return previous;
    }
}

void startSystemInformation(SystemInfo& system, Prompt& prompt) {
    std::optional<QString> path =
        registryText(system, RegistryRoot::LocalMachine, kMsInfoKey, kMsInfoValue);
    if (!path) {
        const std::optional<QString> folder =
            registryText(system, RegistryRoot::LocalMachine, kSharedToolsKey, kSharedToolsValue);
        if (folder && system.fileExists(*folder + kMsInfoProgram))
            path = *folder + kMsInfoProgram;
    }
    if (path && system.startProgram(*path))
        return;
    prompt.ask(kSysInfoUnavailableText, Buttons::Ok);
}

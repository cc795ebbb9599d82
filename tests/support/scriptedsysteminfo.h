// The registry, the file look-up and the program start of the system
// information command, answered from a script; every start tried is recorded.
#pragma once

#include "core/platform/systeminfo.h"

#include <QStringList>
#include <map>

class ScriptedSystemInfo : public SystemInfo {
public:
    std::optional<RegistryValue> queryValue(RegistryRoot root, const QString& keyName,
                                            const QString& valueName) override {
        const auto it = values.find(keyName + QLatin1Char('\\') + valueName);
        if (root != RegistryRoot::LocalMachine || it == values.end())
            return std::nullopt;
        return it->second;
    }
    bool fileExists(const QString& path) override { return files.contains(path); }
    bool startProgram(const QString& path) override {
        started << path;
        return startable.contains(path);
    }

    std::map<QString, RegistryValue> values; // by key and value name, joined by a backslash
    QStringList files, startable, started;   // files there, programs that start, starts tried
};

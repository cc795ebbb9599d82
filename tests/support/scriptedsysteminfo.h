// The registry, the file look-up and the program start of the system
// information command, answered from a script, with a record of every call.
#pragma once

#include "core/platform/systeminfo.h"

#include <QStringList>
#include <map>
#include <utility>

class ScriptedSystemInfo : public SystemInfo {
public:
    std::optional<RegistryValue> queryValue(RegistryRoot root, const QString& keyName,
                                            const QString& valueName) override {
        queries << keyName + QLatin1Char('|') + valueName;
        const auto it = values.find({keyName, valueName});
        if (root != RegistryRoot::LocalMachine || it == values.end())
            return std::nullopt;
        return it->second;
    }
    bool fileExists(const QString& path) override { return files.contains(path); }
    bool startProgram(const QString& path) override {
        started << path;
        return startable.contains(path);
    }

    std::map<std::pair<QString, QString>, RegistryValue> values; // by key and value name
    QStringList files;                                           // files that exist
    QStringList startable;                                       // programs that start
    QStringList queries; // "key|value" of every look-up, in order
    QStringList started; // every program start tried
};

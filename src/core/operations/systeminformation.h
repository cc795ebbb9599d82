// The About window's "System Info...": find the system-information tool
// through the registry seam and start it, or say that it is unavailable.
#pragma once

#include "core/platform/systeminfo.h"

class Prompt;

// A registry value as text: a string as it is stored, without one
// terminating NUL; a number as "&h" and hexadecimal digits; nothing for a
// value that cannot be read, and `previous` for a value of any other type.
std::optional<QString> registryText(SystemInfo& system, RegistryRoot root, const QString& keyName,
                                    const QString& valueName, const QString& previous = {});

// Looks the tool up (its own path first, then the folder of the shared tools)
// and starts it; every failure ends in the one message.
void startSystemInformation(SystemInfo& system, Prompt& prompt);

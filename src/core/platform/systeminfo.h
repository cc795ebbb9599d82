// Starting the desktop's system-information tool from the About window. The
// registry that locates the tool and the start of a program are a seam: the
// desktop implementation reaches the system, tests script the answers.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

enum class RegistryRoot : std::uint32_t { LocalMachine = 0x80000002 };

// Value types as the registry reports them.
constexpr std::uint32_t kRegistryString = 1;
constexpr std::uint32_t kRegistryNumber = 4; // 32 bits, little-endian

// A value as queried: its type, and its bytes as many as the registry says
// it holds (a string usually, not always, with its terminating NUL).
struct RegistryValue {
    std::uint32_t type = kRegistryString;
    QByteArray data;
};

// The room the query gives a value; a larger value cannot be read.
constexpr qsizetype kRegistryValueRoom = 1024;

inline const QString kMsInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
inline const QString kMsInfoValue = QStringLiteral("PATH");
inline const QString kSharedToolsKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
inline const QString kSharedToolsValue = QStringLiteral("MSINFO");
inline const QString kMsInfoProgram = QStringLiteral("\\MSINFO32.EXE");
inline const QString kSysInfoUnavailableText =
    QStringLiteral("System Information Is Unavailable At This Time");

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // Opens key `keyName` under `root` for reading, queries its value
    // `valueName` and closes the key. Nothing when the key is missing, access
    // is refused or the value cannot be read.
    virtual std::optional<RegistryValue> queryValue(RegistryRoot root, const QString& keyName,
                                                    const QString& valueName) = 0;
    // True when a file (not a folder) of that path exists.
    virtual bool fileExists(const QString& path) = 0;
    // Starts the program at `path` with a normal window and does not wait for
    // it; false when it cannot be started.
    virtual bool startProgram(const QString& path) = 0;
};

// The choice of a file to save to or load from: a dialog in the windows, a
// script in tests.
#pragma once

#include <QString>
#include <optional>

struct FileRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString fileName;      // offered at first; empty offers nothing
    QString defaultSuffix; // added to a name typed without one
    QString filter;        // description|pattern|description|pattern|...
};

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen file's path, or nothing when the user cancelled.
    virtual std::optional<QString> choose(const FileRequest& request) = 0;
};

// The choice of a file to save to or load from: a dialog in the windows, a
// script in tests.
#pragma once

#include <QFileInfo>
#include <QString>
#include <optional>

struct FileRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString fileName;      // offered at first; empty offers nothing
    QString defaultSuffix; // for a name typed without one: see fileNameFor()
    QString filter;        // description|pattern|description|pattern|...
};

// The file a name typed into the dialog stands for. A name without a suffix
// gets the default one, except that a file to open is the very file typed
// where one of that name exists ("plain" opens plain, "gui1" opens gui1.txt).
inline QString fileNameFor(const FileRequest& request, const QString& typed) {
    const QFileInfo info(typed);
    if (request.defaultSuffix.isEmpty() || info.fileName().contains(QLatin1Char('.')) ||
        info.isDir() || (request.kind == FileRequest::Kind::Open && info.exists()))
        return typed;
    return typed + QLatin1Char('.') + request.defaultSuffix;
}

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen file's path, or nothing when the user cancelled.
    virtual std::optional<QString> choose(const FileRequest& request) = 0;
};

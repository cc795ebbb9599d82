#include "core/hid/accesshint.h"

#include <cerrno>
#include <unistd.h>

std::vector<std::string> udevRuleFolders() {
    return {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/local/lib/udev/rules.d",
            "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};
}

std::string findUdevRule(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        const std::string path = folder + "/" + kUdevRuleName;
        if (::access(path.c_str(), F_OK) == 0)
            return path;
    }
    return {};
}

std::string accessHint(const std::string& program, const std::string& node,
                       const std::string& installedRule) {
    std::string line =
        program + ": no permission to open " + node + " (QDM7720A evaluation board); ";
    if (installedRule.empty())
        line += std::string("install the udev rule ") + kUdevRuleName +
                " that comes with the program, then";
    else
        line +=
            "the udev rule " + installedRule + " gives access to the user logged in at this seat:";
    line += " run 'sudo udevadm control --reload-rules && sudo udevadm trigger "
            "--subsystem-match=hidraw' or plug the board in again.\n";
    return line;
}

bool lacksPermission(const std::string& node) {
    return ::access(node.c_str(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM);
}

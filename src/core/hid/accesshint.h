// What a user who starts the program from a terminal is told when a board is
// present but its hidraw node cannot be opened for lack of permission.
#pragma once

#include <string>
#include <vector>

// The name of the udev rule that gives the seat's user access to the board.
inline constexpr const char* kUdevRuleName = "70-qdm7720a-eval.rules";

// The folders udev reads its rules from, highest priority first.
std::vector<std::string> udevRuleFolders();

// The full path of the first copy of the rule in `folders`, or "" if none has it.
std::string findUdevRule(const std::vector<std::string>& folders);

// One line for `program` to say, ending in a newline: names the node and the
// rule, and tells how to make the rule take effect. `installedRule` is ""
// when the rule was not found.
std::string accessHint(const std::string& program, const std::string& node,
                       const std::string& installedRule);

// True when the node exists but this user may not open it for reading and
// writing.
bool lacksPermission(const std::string& node);

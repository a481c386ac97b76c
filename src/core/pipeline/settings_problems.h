#pragma once

#include <string>
#include <vector>

namespace tavrel {

// What the settings file holds that reading passes over quietly, one line each, naming the file
// and the line: a number or flag whose value is not a decimal number (reading then takes its
// default, or reads "0x.." as hexadecimal), a section that appears twice (its keys are merged
// into the first), a key that appears twice in one section (the first value is used), and an
// FTPCAFile that names no existing file (every TLS upload would fail on it).
// Reading itself keeps its fallbacks; these lines are for `check`. A missing file gives no
// lines. Throws Error naming the file when it exists but cannot be read.
std::vector<std::string> SettingsFileProblems(const std::string& path);

}  // namespace tavrel

#pragma once

#include <string>

#include "commands.h"
#include "pipeline/settings_store.h"

namespace tavrel::cli {

// The home folder a command works in: --home, else $TAVREL_HOME, else the program's folder.
std::string HomeFolder(const CommandContext& context);

// Creates the settings store the way the program start does: the home's four working folders
// are created, the settings file is read. A headless command never rewrites the settings file
// (SaveOnExit stays off). Throws tavrel::Error when the home is not a folder, holds no settings
// file ("no settings file <path>") or the settings file cannot be read.
//
//   tavrel::TRIGlobals settings = OpenSettingsStore(context);
TRIGlobals OpenSettingsStore(const CommandContext& context);

// Reads the arguments of a command that takes one optional feed file: sets feed to it (empty
// when none is given) and answers true; for an unknown option or a second file prints what is
// wrong and the command's help to stderr and answers false.
bool ParseFeedArgument(const CommandContext& context, const char* command, const char* help,
                       std::string& feed);

}  // namespace tavrel::cli

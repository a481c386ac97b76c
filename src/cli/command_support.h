#pragma once

#include <string>

#include "commands.h"
#include "pipeline/settings_store.h"

namespace tavrel::cli {

// The home folder a command works in: --home, else $TAVREL_HOME, else the program's folder.
std::string HomeFolder(const CommandContext& context);

// Creates the settings store the way the program start does: the home and its four working
// folders are created, the settings file is read. A headless command never rewrites the
// settings file (SaveOnExit stays off). Throws tavrel::Error when the home is not a usable
// folder or the settings file cannot be read.
//
//   tavrel::TRIGlobals settings = OpenSettingsStore(context);
TRIGlobals OpenSettingsStore(const CommandContext& context);

}  // namespace tavrel::cli

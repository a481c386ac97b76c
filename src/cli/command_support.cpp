#include "command_support.h"

#include <filesystem>
#include <system_error>

#include "support/error.h"

namespace tavrel::cli {

std::string HomeFolder(const CommandContext& context) {
  return ResolveProgramDir(context.HomeOption, context.ProgramPath);
}

TRIGlobals OpenSettingsStore(const CommandContext& context) {
  const std::string home = HomeFolder(context);
  // The store itself stays silent about folders it cannot create, as the window expects; a
  // headless command had better say at once that its home is unusable.
  std::error_code error;
  std::filesystem::create_directories(home, error);
  if (!std::filesystem::is_directory(home, error)) {
    throw FileError(home, "cannot use as home folder: " +
                              (error ? error.message() : std::string("not a folder")));
  }
  return TRIGlobals(home);
}

}  // namespace tavrel::cli

#pragma once

#include <string>
#include <vector>

namespace tavrel::cli {

// What every command gets: the home folder named on the command line (empty when none was
// given; TAVREL_HOME and the executable's folder are looked at later), the path the program
// was started as, and the command's own arguments.
struct CommandContext {
  std::string HomeOption;
  std::string ProgramPath;
  std::vector<std::string> Arguments;
};

// A headless command: answers the process exit code.
using CommandFunction = int (*)(const CommandContext&);

struct Command {
  const char* Name;
  const char* Summary;
  CommandFunction Run;
};

// The commands, one source file each.
int RunCheckCommand(const CommandContext& context);
int RunGenerateCommand(const CommandContext& context);
int RunRenderCommand(const CommandContext& context);

// Every command the program knows, in the order --help lists them.
const std::vector<Command>& AllCommands();

// The commands, each in its own <name>_command.cpp.
int RunUploadCommand(const CommandContext& context);
int RunScanCommand(const CommandContext& context);
int RunExportCommand(const CommandContext& context);
int RunTemplateCommand(const CommandContext& context);
int RunInitCommand(const CommandContext& context);

// True when args holds "--help" or "-h".
bool WantsHelp(const std::vector<std::string>& args);

}  // namespace tavrel::cli

#include "commands.h"

#include <algorithm>

namespace tavrel::cli {

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"render", "draw a page (.pag) or template (.tpg) as a PNG picture", RunRenderCommand},
  };
  return commands;
}

bool WantsHelp(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(),
                     [](const std::string& a) { return a == "--help" || a == "-h"; });
}

}  // namespace tavrel::cli

#include <algorithm>

#include "commands.h"

namespace tavrel::cli {

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"check", "check the feed against the element names and the category table", RunCheckCommand},
      {"generate", "generate the teletext pages and Control.dat of the feed in Export/",
       RunGenerateCommand},
      {"upload", "fetch the feed, generate the pages and send them to the server",
       RunUploadCommand},
      {"scan", "the automatic scan as a service: send the pages whenever the feed changes",
       RunScanCommand},
      {"render", "draw a page (.pag) or template (.tpg) as a PNG picture", RunRenderCommand},
      {"export", "write the generated pages as TTI page files or a T42 packet stream",
       RunExportCommand},
      {"template", "make a template of a TTI file or edit.tf address; show one as edit.tf",
       RunTemplateCommand},
      {"init", "make a new home: default settings, working folders, starter templates",
       RunInitCommand},
  };
  return commands;
}

bool WantsHelp(const std::vector<std::string>& args) {
  return std::any_of(args.begin(), args.end(),
                     [](const std::string& a) { return a == "--help" || a == "-h"; });
}

}  // namespace tavrel::cli

// tavrel template: brings pages drawn elsewhere in as templates (a TTI page file or an edit.tf
// address) and shows a template as an edit.tf address.
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "commands.h"
#include "page/edit_tf_url.h"
#include "page/page_import.h"
#include "page/template_file.h"
#include "page/tti_file.h"
#include "step_exit_codes.h"
#include "support/error.h"
#include "support/file_utils.h"

namespace tavrel::cli {

namespace {

constexpr const char* kTemplateHelp =
    "Usage: tavrel template import SOURCE -o FILE.tpg [--force]\n"
    "       tavrel template export FILE.tpg --edit-tf\n"
    "\n"
    "import  makes a template of a page drawn elsewhere. SOURCE is a TTI page file (its first\n"
    "        sub-page is taken) or an edit.tf address (https://edit.tf/#0:..., or the part\n"
    "        from \"#\" on; quote it for the shell). The template gets rows 1 to 23, the\n"
    "        character set of the source where it is one of ours (else German), and the\n"
    "        default text block. An existing FILE.tpg is replaced only with --force.\n"
    "export  prints the template as an edit.tf address, to open and draw on in a browser.\n"
    "\n"
    "Exit status: 0 done, 1 error (a source or file that cannot be read or written; the\n"
    "message names it and the line or part that is wrong), 2 usage error.\n";

struct TTemplateArguments {
  std::string Action;
  std::string Source;
  std::string Output;
  bool Force = false;
  bool EditTf = false;
};

std::optional<std::string> ParseArguments(const std::vector<std::string>& args,
                                          TTemplateArguments& parsed) {
  if (args.empty()) return "say import or export";
  parsed.Action = args[0];
  if (parsed.Action != "import" && parsed.Action != "export") {
    return "unknown action '" + parsed.Action + "' (import or export)";
  }
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-o" || arg == "--output") {
      if (i + 1 >= args.size() || args[i + 1].empty()) return arg + " needs a value";
      parsed.Output = args[++i];
    } else if (arg == "--force") {
      parsed.Force = true;
    } else if (arg == "--edit-tf") {
      parsed.EditTf = true;
    } else if (parsed.Source.empty() && !arg.empty() && (arg[0] != '-' || arg == "-")) {
      parsed.Source = arg;
    } else {
      return "unknown argument '" + arg + "'";
    }
  }
  if (parsed.Source.empty()) return parsed.Action == "import" ? "which SOURCE?" : "which FILE.tpg?";
  if (parsed.Action == "import") {
    if (parsed.Output.empty()) return "import needs -o FILE.tpg";
    if (parsed.EditTf) return "--edit-tf belongs to export";
  } else {
    if (!parsed.EditTf) return "export needs --edit-tf (the one format it writes)";
    if (!parsed.Output.empty() || parsed.Force)
      return "export prints the address; -o and --force belong to import";
  }
  return std::nullopt;
}

// An edit.tf address rather than a file: it carries a "#", a scheme, or starts like the
// editor's hashstring ("0:") and no file of that name exists.
// Builds the template in a scratch file beside the target and puts its bytes in place with
// ReplaceFileAtomically: an existing template is replaced whole or not at all, a link is
// followed, and a FIFO or device named as the output is refused, never replaced.
void WriteTemplate(const TImportedPage& imported, const std::string& output) {
  const std::string scratch = output + ".new";
  std::filesystem::remove(scratch);
  std::string bytes;
  try {
    {
      TPageFile file(scratch, imported.Page.CharSet);
      file.SetTitle(imported.Title);
      file.SetCharSet(imported.Page.CharSet);
      file.SetBlockText(TTextBlock{});
      file.WriteRows(imported.Page);
      file.Save();
    }
    bytes = ReadFileBytes(scratch, TPIniFile::kMaxFileBytes);
  } catch (const Error&) {
    std::filesystem::remove(scratch);
    throw;
  }
  std::filesystem::remove(scratch);
  ReplaceFileAtomically(output, bytes, 0666);
}

int RunImport(const TTemplateArguments& args) {
  if (PathExists(args.Output) && !args.Force) {
    std::fprintf(stderr, "tavrel template: %s exists; give --force to replace it\n",
                 args.Output.c_str());
    return kExitError;
  }
  const TImportedPage imported = ImportPageSource(args.Source);
  if (!imported.Note.empty()) std::fprintf(stderr, "tavrel template: %s\n", imported.Note.c_str());
  WriteTemplate(imported, args.Output);
  std::printf("%s: template with character set %d\n", args.Output.c_str(), imported.Page.CharSet);
  return 0;
}

int RunExport(const TTemplateArguments& args) {
  struct stat status {};
  if (::stat(args.Source.c_str(), &status) != 0) throw FileError(args.Source, "no such file");
  if (!S_ISREG(status.st_mode)) throw FileError(args.Source, "not a file");
  // Opened only to be read: the object is never saved, so the template stays as it is.
  TPageFile file(args.Source);
  TPrestPage page = TPrestPage::Blank();
  file.ReadRows(page);
  const int charSet = file.GetCharSet();
  page.CharSet = static_cast<std::uint8_t>(charSet < 0 ? kDefaultCharSet : charSet);
  if (TEditTfPage::EditTfFromCharSet(page.CharSet) < 0) {
    std::fprintf(stderr,
                 "tavrel template: edit.tf has no character set %d; the address says English\n",
                 charSet);
  }
  std::printf("%s\n", TEditTfPage::FromPage(page).Url().c_str());
  return 0;
}

}  // namespace

int RunTemplateCommand(const CommandContext& context) {
  if (WantsHelp(context.Arguments)) {
    std::fputs(kTemplateHelp, stdout);
    return 0;
  }
  TTemplateArguments args;
  if (const auto problem = ParseArguments(context.Arguments, args)) {
    std::fprintf(stderr, "tavrel template: %s\n\n%s", problem->c_str(), kTemplateHelp);
    return kExitUsage;
  }
  return args.Action == "import" ? RunImport(args) : RunExport(args);
}

}  // namespace tavrel::cli

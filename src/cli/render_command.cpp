// tavrel render: draws a broadcast page or a template as the preview shows it, into a PNG.
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "page/broadcast_page_file.h"
#include "page/page_record.h"
#include "page/template_file.h"
#include "render/page_preview.h"
#include "render/png_writer.h"
#include "render/teletext_fonts.h"
#include "support/error.h"
#include "support/text_utils.h"

namespace tavrel::cli {
namespace {

// Enlargements beyond this make pictures of tens of megabytes and serve no one.
constexpr int kMaxScale = 8;

constexpr const char* kUsage =
    "Usage: tavrel render FILE [-o OUT.png] [--codes] [--scale N]\n"
    "\n"
    "Draws a broadcast page (.pag) or a template (.tpg) as the preview shows it: the frame\n"
    "and rows 1 to 23 in teletext fonts; a template's text block is outlined. Writes a PNG.\n"
    "\n"
    "Options:\n"
    "  -o, --output OUT.png  where to write the picture (default: the file's name with\n"
    "                        \".png\", in the current folder; \"-\" for standard output). A\n"
    "                        link is followed; a FIFO or device is refused, not replaced\n"
    "  --codes               show control codes as symbols, as the editor's show-codes mode\n"
    "  --scale N             enlarge the picture N times (1 to 8, default 1)\n"
    "  -h, --help            show this help\n";

struct TRenderArguments {
  std::string Input;
  std::string Output;
  bool ShowCodes = false;
  int Scale = 1;
};

// The lower-case extension of a file name, with its dot.
std::string LowerExtension(const std::string& fileName) {
  std::string extension = std::filesystem::path(fileName).extension().string();
  for (char& c : extension) c = ToLowerAscii(c);
  return extension;
}

// Parses the arguments; answers an error text for the operator, or nothing when they are fine.
std::optional<std::string> ParseArguments(const std::vector<std::string>& args,
                                          TRenderArguments& parsed) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-o" || arg == "--output" || arg == "--scale") {
      if (i + 1 >= args.size()) return arg + " needs a value";
      const std::string& value = args[++i];
      if (arg == "--scale") {
        std::size_t used = 0;
        int scale = 0;
        try {
          scale = std::stoi(value, &used);
        } catch (const std::exception&) {
          used = 0;
        }
        if (used != value.size() || scale < 1 || scale > kMaxScale) {
          return "--scale must be a whole number from 1 to " + std::to_string(kMaxScale) +
                 ", not '" + value + "'";
        }
        parsed.Scale = scale;
      } else {
        parsed.Output = value;
      }
    } else if (arg == "--codes") {
      parsed.ShowCodes = true;
    } else if (!arg.empty() && arg[0] == '-') {
      return "unknown option '" + arg + "'";
    } else if (parsed.Input.empty()) {
      parsed.Input = arg;
    } else {
      return "only one FILE can be drawn at a time";
    }
  }
  if (parsed.Input.empty()) return "which FILE should be drawn?";
  const std::string extension = LowerExtension(parsed.Input);
  if (extension != ".pag" && extension != ".tpg") {
    return parsed.Input + ": not a page file (.pag or .tpg)";
  }
  if (parsed.Output.empty()) {
    // Beside the current folder, never beside the input: the export folder is shipped to the
    // transmission server as it stands, and a picture there would travel with it.
    parsed.Output = std::filesystem::path(parsed.Input).stem().string() + ".png";
  }
  return std::nullopt;
}

// Reads the page and, for a template, its text block. Never creates or changes the file.
TPrestPage ReadPage(const std::string& fileName, TPreviewOptions& options) {
  struct stat status {};
  if (::stat(fileName.c_str(), &status) != 0) throw FileError(fileName, "no such file");
  if (!S_ISREG(status.st_mode)) throw FileError(fileName, "not a file");

  TPrestPage page = TPrestPage::Blank();
  if (LowerExtension(fileName) == ".pag") {
    TPrestPageHeader header;
    if (!ReadPagFile(fileName, page, header)) throw FileError(fileName, "cannot open the file");
    return page;
  }
  TPageFile file(fileName);
  file.ReadRows(page);
  page.CharSet = static_cast<std::uint8_t>(file.GetCharSet());
  options.TextBlock = file.GetBlockText();
  return page;
}

}  // namespace

int RunRenderCommand(const CommandContext& context) {
  if (WantsHelp(context.Arguments)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  TRenderArguments args;
  if (const auto problem = ParseArguments(context.Arguments, args)) {
    std::fprintf(stderr, "tavrel render: %s\n\n%s", problem->c_str(), kUsage);
    return 2;
  }

  TPreviewOptions options;
  options.ShowCodes = args.ShowCodes;
  const TPrestPage page = ReadPage(args.Input, options);

  const TFontLoadResult fonts = LoadTeletextFonts(kFontFileAll1216);
  if (!fonts.Success()) {
    std::fprintf(stderr, "tavrel render: %s\n", fonts.Message().c_str());
    return 1;
  }
  const TRgbaImage image =
      RenderPagePreview(page, FontSet(kFontSize1216), options).Scaled(args.Scale);
  UnloadTeletextFonts();
  if (args.Output == "-") {
    // The picture is the output; the line about it goes to stderr, out of the picture's way.
    const std::vector<std::uint8_t> png = EncodePng(image, "standard output");
    if (std::fwrite(png.data(), 1, png.size(), stdout) != png.size() || std::fflush(stdout) != 0) {
      std::fprintf(stderr, "tavrel render: standard output: cannot write: %s\n",
                   std::strerror(errno));
      return 1;
    }
    std::fprintf(stderr, "-: %d x %d pixels\n", image.Width(), image.Height());
    return 0;
  }
  WritePngFile(image, args.Output);
  std::printf("%s: %d x %d pixels\n", args.Output.c_str(), image.Width(), image.Height());
  return 0;
}

}  // namespace tavrel::cli

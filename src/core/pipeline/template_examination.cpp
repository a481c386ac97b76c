#include "pipeline/template_examination.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "page/template_file.h"
#include "support/error.h"

namespace tavrel {

namespace {

// A stored value as an error line shows it: cut, so that a huge one cannot flood the terminal.
constexpr std::size_t kShownLength = 60;
std::string Shown(std::string_view text) {
  if (text.size() <= kShownLength) return std::string(text);
  return std::string(text.substr(0, kShownLength)) + "...";
}

// The text block of a template that a run cannot lay text into, or empty.
std::string BlockProblem(const TTextBlock& block) {
  if (block.Right < block.Left) {
    return "right column " + std::to_string(block.Right) + " is left of left column " +
           std::to_string(block.Left);
  }
  if (block.Bottom < block.Top) {
    return "bottom row " + std::to_string(block.Bottom) + " is above top row " +
           std::to_string(block.Top);
  }
  if (block.Left < 0 || block.Top < 0 || block.Right >= kPageColumns || block.Bottom >= kPageRows) {
    return "it does not lie within the page of columns 0 to 39 and rows 0 to 23";
  }
  // Row 0 is the page header, which the server fills itself: text there never goes on air.
  if (block.Bottom < 1) return "it lies on row 0, the page header, and cannot hold one row of text";
  return {};
}

}  // namespace

TExaminedTemplate ExamineTemplate(const std::string& fileName) {
  namespace fs = std::filesystem;
  TExaminedTemplate examined;
  if (fileName.empty()) return examined;
  std::error_code error;
  const fs::file_status status = fs::status(fileName, error);
  if (status.type() == fs::file_type::not_found) return examined;
  if (status.type() == fs::file_type::none) {
    examined.Problem = "template cannot be examined: " + error.message();
    return examined;
  }
  if (fs::is_directory(status)) {
    examined.Problem = "is a folder, not a template file";
    return examined;
  }
  if (!fs::is_regular_file(status)) {
    examined.Problem = "is not a template file";
    return examined;
  }
  examined.IsFile = true;
  try {
    TPageFile file(fileName);
    TPrestPage page = TPrestPage::Blank();
    file.ReadRows(page);
    examined.Cells = page.Cells;
    examined.Block = file.GetBlockText();
    examined.CharSet = file.GetCharSet();
    examined.Read = true;
    // Without its section the file would load as a blank page with the default text block,
    // and pages of a damaged or foreign file would go on air looking as if they had no
    // template.
    if (file.FindSection(TPageFile::kSection) < 0) {
      examined.Problem =
          std::string("not a template: it has no [") + TPageFile::kSection + "] section";
      return examined;
    }
    const std::string problem = BlockProblem(examined.Block);
    if (!problem.empty()) {
      examined.Problem =
          "text block \"" +
          Shown(file.ReadString(TPageFile::kSection, "blocktext1", TPageFile::kDefaultBlockText)) +
          "\" (blocktext1) is unusable: " + problem;
    }
  } catch (const Error& failure) {
    examined.Problem = failure.what();
  }
  return examined;
}

std::string TemplateProblem(const std::string& fileName) {
  return ExamineTemplate(fileName).Problem;
}

}  // namespace tavrel

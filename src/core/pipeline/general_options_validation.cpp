#include "pipeline/general_options_validation.h"

#include <filesystem>
#include <system_error>

#include "pipeline/category_table.h"
#include "support/windows1252.h"
#include "transfer/folder_publish.h"

namespace tavrel {

TGeneralOptionsCheck ValidateGeneralOptions(const TGeneralOptions& options,
                                            const std::string& programDir) {
  if (!options.IsXMLWeb) {
    // The same resolution as the store's FeedFilePath(): the file checked is the file scanned.
    const std::string path = TemplatePath(options.XMLFilePath, programDir);
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) {
      return {false, "File not found.", TGeneralOptionsField::FeedFile};
    }
  }
  if (!PublishesToFolder(options)) return {};
  if (options.TargetFolder.empty()) {
    return {false, "Choose the page folder of the inserter.", TGeneralOptionsField::TargetFolder};
  }
  const std::string problem = PageFolderProblem(TemplatePath(options.TargetFolder, programDir));
  if (problem.empty()) return {};
  // Messages are the program's text; the folder's name is the file system's UTF-8.
  return {false, PathAsWindows1252Text(problem), TGeneralOptionsField::TargetFolder};
}

}  // namespace tavrel

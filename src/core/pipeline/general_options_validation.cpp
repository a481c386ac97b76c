#include "pipeline/general_options_validation.h"

#include <filesystem>
#include <system_error>

#include "pipeline/category_table.h"

namespace tavrel {

TGeneralOptionsCheck ValidateGeneralOptions(const TGeneralOptions& options,
                                            const std::string& programDir) {
  if (options.IsXMLWeb) return {};
  // The same resolution as the store's FeedFilePath(): the file checked is the file scanned.
  const std::string path = TemplatePath(options.XMLFilePath, programDir);
  std::error_code error;
  if (!path.empty() && std::filesystem::is_regular_file(path, error)) return {};
  return {false, "File not found.", TGeneralOptionsField::FeedFile};
}

}  // namespace tavrel

#include "pipeline/home_setup.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "pipeline/settings_store.h"
#include "support/error.h"
#include "support/file_utils.h"
#include "support/text_utils.h"

namespace tavrel {

namespace {

namespace fs = std::filesystem;

// A template is a few kilobytes; anything far larger in the starter folder is not one of ours.
constexpr std::size_t kMaxStarterTemplateBytes = 1 << 20;

bool IsTemplateName(const fs::path& name) {
  std::string extension = name.extension().string();
  for (char& c : extension) c = ToLowerAscii(c);
  return extension == ".tpg";
}

std::vector<fs::path> StarterTemplates(const std::string& starterFolder) {
  std::vector<fs::path> templates;
  std::error_code error;
  if (starterFolder.empty() || !fs::is_directory(starterFolder, error)) return templates;
  fs::directory_iterator entries(starterFolder, error);
  if (error) throw FileError(starterFolder, "cannot read the folder: " + error.message());
  for (const auto& entry : entries) {
    if (entry.is_regular_file(error) && IsTemplateName(entry.path().filename())) {
      templates.push_back(entry.path());
    }
  }
  // Sorted, so the report lists them the same way on every file system.
  std::sort(templates.begin(), templates.end());
  return templates;
}

}  // namespace

THomeSetupReport CreateHome(const std::string& folder, const std::string& starterTemplatesFolder,
                            bool keepExisting) {
  if (folder.empty()) throw Error("no home folder given");
  std::error_code error;
  if (fs::exists(folder, error) && !fs::is_directory(folder, error)) {
    throw FileError(folder, "exists and is not a folder");
  }
  const std::string settingsPath = (fs::path(folder) / TRIGlobals::kSettingsFileName).string();
  const bool isHome = PathExists(settingsPath);
  if (isHome && !keepExisting) {
    throw FileError(settingsPath,
                    "this folder already holds a home; give --force to add what "
                    "is missing and keep its settings");
  }
  // Read before anything is written, so a starter folder that cannot be read leaves no half-made
  // home behind.
  const std::vector<fs::path> templates = StarterTemplates(starterTemplatesFolder);
  fs::create_directories(folder, error);
  if (error) throw FileError(folder, "cannot create the folder: " + error.message());

  THomeSetupReport report;
  {
    // The store creates the working folders; a store opened on a folder without a settings
    // file holds the defaults, and saving it is what the window's first start does.
    TRIGlobals store(folder);
    for (const std::string* working :
         {&store.ImportDir, &store.ExportDir, &store.HandledDir, &store.TemplatesDir}) {
      if (!fs::is_directory(*working, error)) {
        throw FileError(*working, "cannot create the folder");
      }
    }
    if (!isHome) {
      store.SaveSettings();
      report.SettingsWritten = true;
    }
    for (const fs::path& source : templates) {
      const std::string name = source.filename().string();
      const std::string target = store.TemplatesDir + name;
      if (PathExists(target)) {
        report.TemplatesKept.push_back(name);
        continue;
      }
      ReplaceFileAtomically(target, ReadFileBytes(source.string(), kMaxStarterTemplateBytes), 0666);
      report.TemplatesAdded.push_back(name);
    }
  }
  return report;
}

}  // namespace tavrel

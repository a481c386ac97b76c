#include "pipeline/settings_store.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "pipeline/settings_merge.h"
#include "support/error.h"
#include "support/file_utils.h"

namespace tavrel {

namespace {

namespace fs = std::filesystem;

std::string AsFolder(const fs::path& path) {
  std::string folder = fs::absolute(path).lexically_normal().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string ResolveProgramDir(const std::string& homeOption, const std::string& programPath) {
  if (!homeOption.empty()) return AsFolder(homeOption);
  if (const char* home = std::getenv("TAVREL_HOME"); home != nullptr && *home != '\0') {
    return AsFolder(home);
  }
  std::error_code error;
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (!error && !executable.empty()) return AsFolder(executable.parent_path());
  const fs::path started(programPath);
  return AsFolder(started.has_parent_path() ? started.parent_path() : fs::path("."));
}

TRIGlobals::TRIGlobals(const std::string& programDir) {
  ProgramDir = AsFolder(programDir);
  ImportDir = ProgramDir + "Import/";
  ExportDir = ProgramDir + "Export/";
  HandledDir = ProgramDir + "Handled/";
  TemplatesDir = ProgramDir + "Templates/";
  CreateWorkingFolders();
  IniFileName = ProgramDir + kSettingsFileName;
  readFileExisted_ = PathExists(IniFileName);
  file_.LoadFile(IniFileName, TSettingsFile::kMaxFileBytes,
                 TSettingsFile::TEncoding::Utf8OrWindows1252);
  readFile_ = file_;
  LoadSettings();
  readValues_ = Values();
}

TRIGlobals::~TRIGlobals() {
  if (!SaveOnExit) return;
  try {
    const TSaveReport report = SaveSettings();
    if (!report.Message.empty()) std::fprintf(stderr, "tavrel: %s\n", report.Message.c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tavrel: %s\n", error.what());
  } catch (...) {
    // Nothing sensible is left to do at the end of the run.
  }
}

void TRIGlobals::CreateWorkingFolders() const {
  for (const auto* folder : {&ImportDir, &ExportDir, &HandledDir, &TemplatesDir}) {
    std::error_code ignored;
    fs::create_directories(*folder, ignored);
  }
}

void TRIGlobals::LoadSettings() { SetValues(ReadSettingsValues(file_)); }

TRIGlobals::TSaveReport TRIGlobals::SaveSettings() {
  std::optional<TSettingsFile> disk;
  if (PathExists(IniFileName)) {
    disk.emplace();
    disk->LoadFile(IniFileName, TSettingsFile::kMaxFileBytes,
                   TSettingsFile::TEncoding::Utf8OrWindows1252);
  }
  TSettingsMerge merge;
  try {
    merge = MergeSettingsChanges(readValues_, Values(), readFile_, readFileExisted_, disk);
  } catch (const Error& error) {
    throw FileError(IniFileName, std::string(error.what()) + "; the settings were not saved");
  }
  if (!merge.Write) return {};
  struct stat info {};
  // The atomic replace would give the new file its owner's write bit back.
  if (disk && ::stat(IniFileName.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0) {
    throw FileError(IniFileName,
                    "is read-only (its owner may not write it); the settings were not saved");
  }
  // The file holds the FTP password in plain text: a new one is for its owner's eyes only.
  merge.File.SaveToFile(IniFileName, S_IRUSR | S_IWUSR);
  file_ = merge.File;
  readFile_ = file_;
  readFileExisted_ = true;
  // The disk's own changes come in; what the file does not hold stays as it was.
  TSettingsValues values = Values();
  ReadSettingsValuesInto(file_, values);
  SetValues(values);
  readValues_ = Values();
  return {true, SettingsMergeMessage(IniFileName, merge)};
}

std::string TRIGlobals::ResolvePath(const std::string& path) const {
  // One rule for every path of the settings: the category table's.
  return TemplatePath(path, ProgramDir);
}

std::string TRIGlobals::XmlFileName() const {
  if (IsXMLWeb) return "WebRSS.xml";
  const auto separator = XMLFilePath.find_last_of("/\\");
  return separator == std::string::npos ? XMLFilePath : XMLFilePath.substr(separator + 1);
}

void TRIGlobals::LoadCategories() { Categories = LoadCategoryTable(file_); }

void TRIGlobals::SaveCategories() { SaveCategoryTable(Categories, file_); }

}  // namespace tavrel

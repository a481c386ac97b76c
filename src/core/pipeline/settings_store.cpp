#include "pipeline/settings_store.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

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
  for (const auto* folder : {&ImportDir, &ExportDir, &HandledDir, &TemplatesDir}) {
    std::error_code ignored;
    fs::create_directories(*folder, ignored);
  }
  IniFileName = ProgramDir + kSettingsFileName;
  file_.LoadFile(IniFileName);
  LoadSettings();
}

TRIGlobals::~TRIGlobals() {
  if (!SaveOnExit) return;
  try {
    SaveSettings();
  } catch (...) {
    // Nothing sensible is left to do at the end of the run; the window reports save failures
    // from its explicit saves.
  }
}

void TRIGlobals::LoadSettings() {
  const char* s = kSettingsSection;
  IsXMLWeb = file_.ReadBool(s, "IsXMLWeb", false);
  XMLFilePath = file_.ReadString(s, "XMLFilePath", "");
  XmlUrl = file_.ReadString(s, "XmlUrl", "");
  Server.ServerName = file_.ReadString(s, "ServerName", "");
  Server.FTPHost = file_.ReadString(s, "FTPHost", "");
  Server.FTPUser = file_.ReadString(s, "FTPUser", "");
  Server.FTPPassword = file_.ReadString(s, "FTPPassword", "");
  Server.FTPPort = file_.ReadInteger(s, "FTPPort", 21);
  Server.FTPPassive = file_.ReadBool(s, "FTPPassive", false);
  TransferDir = file_.ReadString(s, "TransferDir", "Varnex\\Transfer\\");
  DefaultCharSet = file_.ReadInteger(s, "DefaultCharSet", 8);
  UseFastext = file_.ReadBool(s, "UseFastext", true);
  ScanInterval = file_.ReadInteger(s, "ScanInterval", 10);
  StartScanAtProgramStart = file_.ReadBool(s, "StartScanAtProgramStart", false);
  FormatCorrection = file_.ReadInteger(s, "FormatCorrection", 8);
  XmlSchema.MessageElement = file_.ReadString(s, "MessageElement", "message");
  XmlSchema.TitleElement = file_.ReadString(s, "TitleElement", "title");
  XmlSchema.CategoryElement = file_.ReadString(s, "CategoryElement", "category");
  XmlSchema.TextElement = file_.ReadString(s, "TextElement", "text");
  XmlSchema.RootElement = file_.ReadString(s, "RootElement", "root");
  XmlSchema.ChannelElement = file_.ReadString(s, "ChannelElement", "channel");
  XmlSchema.UseChannelElement = file_.ReadBool(s, "UseChannelElement", false);
  XmlSchema.UseCategoryElement = file_.ReadBool(s, "UseCategoryElement", true);
  LoadCategories();
}

void TRIGlobals::SaveSettings() {
  const char* s = kSettingsSection;
  file_.WriteBool(s, "IsXMLWeb", IsXMLWeb);
  file_.WriteString(s, "XMLFilePath", XMLFilePath);
  file_.WriteString(s, "XmlUrl", XmlUrl);
  file_.WriteString(s, "ServerName", Server.ServerName);
  file_.WriteString(s, "FTPHost", Server.FTPHost);
  file_.WriteString(s, "FTPUser", Server.FTPUser);
  file_.WriteString(s, "FTPPassword", Server.FTPPassword);
  file_.WriteInteger(s, "FTPPort", Server.FTPPort);
  file_.WriteBool(s, "FTPPassive", Server.FTPPassive);
  file_.WriteString(s, "TransferDir", TransferDir);
  file_.WriteInteger(s, "DefaultCharSet", DefaultCharSet);
  file_.WriteBool(s, "UseFastext", UseFastext);
  file_.WriteInteger(s, "ScanInterval", ScanInterval);
  file_.WriteBool(s, "StartScanAtProgramStart", StartScanAtProgramStart);
  file_.WriteInteger(s, "FormatCorrection", FormatCorrection);
  file_.WriteString(s, "MessageElement", XmlSchema.MessageElement);
  file_.WriteString(s, "TitleElement", XmlSchema.TitleElement);
  file_.WriteString(s, "CategoryElement", XmlSchema.CategoryElement);
  file_.WriteString(s, "TextElement", XmlSchema.TextElement);
  file_.WriteString(s, "RootElement", XmlSchema.RootElement);
  file_.WriteString(s, "ChannelElement", XmlSchema.ChannelElement);
  file_.WriteBool(s, "UseChannelElement", XmlSchema.UseChannelElement);
  file_.WriteBool(s, "UseCategoryElement", XmlSchema.UseCategoryElement);
  SaveCategories();
  // The file holds the FTP password in plain text: a new one is for its owner's eyes only.
  file_.SaveToFile(IniFileName, S_IRUSR | S_IWUSR);
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

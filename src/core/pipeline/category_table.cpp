#include "pipeline/category_table.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "page/template_file.h"
#include "pipeline/settings_file.h"
#include "support/text_utils.h"

namespace tavrel {

namespace {

// The rectangle of a template that does not exist: no rows and no columns.
constexpr TTextBlock kNoTextBlock{0, 0, -1, -1};

bool IsExistingFile(const std::string& fileName) {
  if (fileName.empty()) return false;
  std::error_code error;
  return std::filesystem::is_regular_file(fileName, error);
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

TRssTxtPageProperty ReadEntry(const TSettingsFile& file, const std::string& section) {
  const TRssTxtPageProperty defaults;
  TRssTxtPageProperty entry;
  auto text = [&](const char* key, const std::string& fallback) {
    return file.ReadString(section, key, fallback);
  };
  auto number = [&](const char* key, std::int32_t fallback) {
    return file.ReadInteger(section, key, fallback);
  };
  auto flag = [&](const char* key, bool fallback) { return file.ReadBool(section, key, fallback); };
  // The templates are paths: the file system's UTF-8 bytes, whatever the file's encoding.
  auto path = [&](const char* key, const std::string& fallback) {
    return file.ReadPath(section, key, fallback);
  };
  entry.Category = text("Category", defaults.Category);
  entry.FirstNumber = number("FirstNumber", defaults.FirstNumber);
  entry.IndexNumber = number("IndexNumber", defaults.IndexNumber);
  entry.ShowTitle = flag("ShowTitle", defaults.ShowTitle);
  entry.EmptyRowAfterTitle = flag("EmptyRowAfterTitle", defaults.EmptyRowAfterTitle);
  entry.TitleUpperCase = flag("TitleUpperCase", defaults.TitleUpperCase);
  entry.IndexNumberColor = number("IndexNumberColor", defaults.IndexNumberColor);
  entry.IndexTemplateFileName = path("IndexTemplateFileName", defaults.IndexTemplateFileName);
  entry.MessageTemplateFileName = path("MessageTemplateFileName", defaults.MessageTemplateFileName);
  entry.FastextPrompt1 = text("FastextPrompt1", defaults.FastextPrompt1);
  entry.FastextPrompt2 = text("FastextPrompt2", defaults.FastextPrompt2);
  entry.FastextPrompt3 = text("FastextPrompt3", defaults.FastextPrompt3);
  entry.FastextPrompt4 = text("FastextPrompt4", defaults.FastextPrompt4);
  entry.FastextLinkNr1 = number("FastextLinkNr1", defaults.FastextLinkNr1);
  entry.FastextLinkNr2 = number("FastextLinkNr2", defaults.FastextLinkNr2);
  entry.FastextLinkNr3 = number("FastextLinkNr3", defaults.FastextLinkNr3);
  entry.FastextLinkNr4 = number("FastextLinkNr4", defaults.FastextLinkNr4);
  entry.PreserveIndexCharset = flag("PreserveIndexCharset", defaults.PreserveIndexCharset);
  entry.PreserveMessageCharset = flag("PreserveMessageCharset", defaults.PreserveMessageCharset);
  return entry;
}

// Keys in the order in which the file has always listed them.
void WriteEntry(const TRssTxtPageProperty& entry, const std::string& section, TSettingsFile& file) {
  file.WriteString(section, "Category", entry.Category);
  file.WriteInteger(section, "IndexNumber", entry.IndexNumber);
  file.WriteInteger(section, "FirstNumber", entry.FirstNumber);
  file.WriteBool(section, "ShowTitle", entry.ShowTitle);
  file.WriteBool(section, "EmptyRowAfterTitle", entry.EmptyRowAfterTitle);
  file.WriteBool(section, "TitleUpperCase", entry.TitleUpperCase);
  file.WriteInteger(section, "IndexNumberColor", entry.IndexNumberColor);
  file.WritePath(section, "IndexTemplateFileName", entry.IndexTemplateFileName);
  file.WritePath(section, "MessageTemplateFileName", entry.MessageTemplateFileName);
  file.WriteString(section, "FastextPrompt1", entry.FastextPrompt1);
  file.WriteString(section, "FastextPrompt2", entry.FastextPrompt2);
  file.WriteString(section, "FastextPrompt3", entry.FastextPrompt3);
  file.WriteString(section, "FastextPrompt4", entry.FastextPrompt4);
  file.WriteInteger(section, "FastextLinkNr1", entry.FastextLinkNr1);
  file.WriteInteger(section, "FastextLinkNr2", entry.FastextLinkNr2);
  file.WriteInteger(section, "FastextLinkNr3", entry.FastextLinkNr3);
  file.WriteInteger(section, "FastextLinkNr4", entry.FastextLinkNr4);
  file.WriteBool(section, "PreserveIndexCharset", entry.PreserveIndexCharset);
  file.WriteBool(section, "PreserveMessageCharset", entry.PreserveMessageCharset);
}

}  // namespace

std::string CategorySectionName(std::size_t number) {
  return std::string(kCategorySectionPrefix) + ZeroPadInt(static_cast<std::int64_t>(number), 3);
}

TRssTxtPageProperties LoadCategoryTable(const TSettingsFile& file) {
  TRssTxtPageProperties table;
  for (const std::string& section : file.SectionNames()) {
    if (StartsWith(section, kCategorySectionPrefix)) table.push_back(ReadEntry(file, section));
  }
  return table;
}

void SaveCategoryTable(const TRssTxtPageProperties& table, TSettingsFile& file) {
  for (const std::string& section : file.SectionNames()) {
    if (StartsWithIgnoringCase(section, kCategorySectionPrefix)) file.EraseSection(section);
  }
  for (std::size_t i = 0; i < table.size(); ++i) {
    WriteEntry(table[i], CategorySectionName(i + 1), file);
  }
}

const TRssTxtPageProperty* FindCategory(const TRssTxtPageProperties& table, std::string_view name) {
  auto found = std::find_if(table.begin(), table.end(), [name](const TRssTxtPageProperty& entry) {
    return EqualsIgnoreCase(entry.Category, name);
  });
  return found == table.end() ? nullptr : &*found;
}

std::string TemplatePath(const std::string& fileName, const std::string& programDir) {
  if (fileName.empty() || programDir.empty() || fileName.front() == '/') return fileName;
  return programDir + fileName;
}

bool IsCategoryUsable(const TRssTxtPageProperties& table, std::string_view name,
                      const std::string& programDir) {
  return std::any_of(table.begin(), table.end(), [&](const TRssTxtPageProperty& entry) {
    return EqualsIgnoreCase(entry.Category, name) &&
           IsExistingFile(TemplatePath(entry.IndexTemplateFileName, programDir)) &&
           IsExistingFile(TemplatePath(entry.MessageTemplateFileName, programDir));
  });
}

TTextBlock TemplateTextBlock(const std::string& fileName, const std::string& programDir) {
  const std::string path = TemplatePath(fileName, programDir);
  // Opening a template that does not exist would create it; it is only looked at here.
  if (!IsExistingFile(path)) return kNoTextBlock;
  return TPageFile(path).GetBlockText();
}

int MaxPages(const TRssTxtPageProperty& entry, const std::string& programDir) {
  return MaxPages(TemplateTextBlock(entry.IndexTemplateFileName, programDir));
}

int MaxPages(const TTextBlock& block) {
  const int top = std::max(block.Top, 0);
  const int bottom = std::min(block.Bottom, kPageRows - 1);
  return std::max(bottom - top + 1, 0);
}

std::string DefaultCategory(const TRssTxtPageProperties& table, const TXMLSchema& schema) {
  if (schema.UseCategoryElement || table.empty()) return {};
  return table.front().Category;
}

}  // namespace tavrel

#include "pipeline/settings_merge.h"

#include <algorithm>
#include <set>
#include <utility>

#include "pipeline/category_table.h"
#include "support/text_utils.h"

namespace tavrel {

namespace {

// A value of the file as UTF-8, or nothing when the key is missing.
std::optional<std::string> ValueAsUtf8(const TSettingsFile& file, std::string_view section,
                                       std::string_view key) {
  if (!file.KeyExists(section, key)) return std::nullopt;
  return file.ReadPath(section, key, "");
}

std::string KeyName(std::string_view section, std::string_view key) {
  return "[" + std::string(section) + "] " + std::string(key);
}

// Every (section, key) of either file whose values differ, in file order (a's first).
std::vector<std::pair<std::string, std::string>> ChangedKeys(const TSettingsFile& a,
                                                             const TSettingsFile& b) {
  std::vector<std::pair<std::string, std::string>> changed;
  std::set<std::string> seen;  // lower-case "section\nkey"
  for (const TSettingsFile* file : {&a, &b}) {
    for (const auto& section : file->Sections()) {
      for (const auto& key : file->KeyNames(section.Name)) {
        std::string id = section.Name + "\n" + key;
        for (char& c : id) c = ToLowerAscii(c);
        if (!seen.insert(id).second) continue;
        if (ValueAsUtf8(a, section.Name, key) != ValueAsUtf8(b, section.Name, key)) {
          changed.emplace_back(section.Name, key);
        }
      }
    }
  }
  return changed;
}

// The values written into an empty file: every key, in the order saving always writes them.
// Held in UTF-8, so that comparing two of them loses nothing.
TSettingsFile ValuesFile(const TSettingsValues& values) {
  TSettingsFile file;
  file.ConvertToUtf8();
  WriteSettingsValues(values, file);
  return file;
}

bool IsCategorySection(std::string_view section) {
  return section.size() >= kCategorySectionPrefix.size() &&
         EqualsIgnoreCase(section.substr(0, kCategorySectionPrefix.size()), kCategorySectionPrefix);
}

// Whether the file's category sections are exactly XMLItem001, XMLItem002, ... in order, as
// saving numbers them: only then does a category section of the values name the same section
// on disk, and a key-by-key merge of the table keeps each entry whole.
bool HasNumberedCategorySections(const TSettingsFile& file) {
  std::size_t number = 0;
  for (const auto& section : file.Sections()) {
    if (IsCategorySection(section.Name) && section.Name != CategorySectionName(++number)) {
      return false;
    }
  }
  return true;
}

std::size_t CategorySectionCount(const TSettingsFile& file) {
  std::size_t count = 0;
  for (const auto& section : file.Sections()) count += IsCategorySection(section.Name) ? 1 : 0;
  return count;
}

// Whether the program's changes to the category table can go into the disk's table key by key:
// both are numbered as saving numbers them, every entry read is still in its section on disk
// (by name; none was deleted or moved there), and not both sides added or removed entries.
bool TableMergesKeyByKey(const TSettingsFile& read, const TSettingsFile& disk,
                         const TSettingsFile& before, const TSettingsFile& after) {
  if (!HasNumberedCategorySections(read) || !HasNumberedCategorySections(disk)) return false;
  const std::size_t readCount = CategorySectionCount(read);
  for (std::size_t number = 1; number <= readCount; ++number) {
    const std::string section = CategorySectionName(number);
    if (ValueAsUtf8(read, section, "Category") != ValueAsUtf8(disk, section, "Category")) {
      return false;
    }
  }
  return CategorySectionCount(disk) == readCount ||
         CategorySectionCount(before) == CategorySectionCount(after);
}

std::string JoinKeys(const std::vector<std::string>& keys) {
  std::string joined;
  for (const std::string& key : keys) joined += (joined.empty() ? "" : ", ") + key;
  return joined;
}

}  // namespace

TSettingsMerge MergeSettingsChanges(const TSettingsValues& readValues,
                                    const TSettingsValues& currentValues,
                                    const TSettingsFile& readFile, bool readFileExisted,
                                    const std::optional<TSettingsFile>& disk) {
  TSettingsMerge merge;
  const TSettingsFile before = ValuesFile(readValues);
  const TSettingsFile after = ValuesFile(currentValues);
  const auto programChanges = ChangedKeys(before, after);
  for (const auto& [section, key] : programChanges) {
    merge.ProgramKeys.push_back(KeyName(section, key));
  }

  if (!disk) {
    // Nothing to keep. A file that was there when the program read it and is gone now was
    // removed on purpose: it comes back only with a change of the program's.
    merge.Write = !programChanges.empty() || !readFileExisted;
    merge.File = readFile;
    merge.File.Clear();
    WriteSettingsValues(currentValues, merge.File);
    merge.BecameUtf8 = !readFile.SavesUtf8() && merge.File.SavesUtf8();
    return merge;
  }

  for (const auto& [section, key] : ChangedKeys(readFile, *disk)) {
    merge.DiskKeys.push_back(KeyName(section, key));
    const bool programChanged =
        ValueAsUtf8(before, section, key) != ValueAsUtf8(after, section, key);
    if (programChanged && ValueAsUtf8(after, section, key) != ValueAsUtf8(*disk, section, key)) {
      merge.ConflictKeys.push_back(KeyName(section, key));
    }
  }

  merge.File = *disk;
  merge.Write = !programChanges.empty();
  if (!merge.Write) return merge;
  const bool tableChanged =
      std::any_of(programChanges.begin(), programChanges.end(),
                  [](const auto& change) { return IsCategorySection(change.first); });
  // Otherwise (a gap in the numbering, a section name in other letter case, an entry deleted
  // on disk) the table is written whole, numbered as saving always has; the disk's changes to
  // the table then give way.
  const bool wholeTable = tableChanged && !TableMergesKeyByKey(readFile, *disk, before, after);
  // Section by section in the values' order, so that keys new to the file follow the order
  // saving has always written them in. A section the program wrote to gets the keys that
  // neither the disk nor the file as read held, so that it names every value.
  for (const auto& section : after.Sections()) {
    if (wholeTable && IsCategorySection(section.Name)) continue;
    const bool written =
        EqualsIgnoreCase(section.Name, kSettingsSection) ||
        std::any_of(programChanges.begin(), programChanges.end(), [&](const auto& change) {
          return EqualsIgnoreCase(change.first, section.Name);
        });
    if (!written) continue;
    for (const std::string& key : after.KeyNames(section.Name)) {
      const auto value = ValueAsUtf8(after, section.Name, key);
      const bool changed = ValueAsUtf8(before, section.Name, key) != value;
      const bool missing =
          !merge.File.KeyExists(section.Name, key) && !readFile.KeyExists(section.Name, key);
      if (changed || missing) merge.File.WritePath(section.Name, key, *value);
    }
  }
  for (const auto& [section, key] : programChanges) {
    if (after.KeyExists(section, key) || (wholeTable && IsCategorySection(section))) continue;
    if (!after.SectionExists(section)) {
      // The program dropped the section (a category deleted, the later ones moved up).
      merge.File.EraseSection(section);
    } else {
      merge.File.DeleteKey(section, key);
    }
  }
  if (wholeTable) {
    SaveCategoryTable(currentValues.Categories, merge.File);
    for (const std::string& key : merge.DiskKeys) {
      if (IsCategorySection(key.substr(1)) &&
          std::find(merge.ConflictKeys.begin(), merge.ConflictKeys.end(), key) ==
              merge.ConflictKeys.end()) {
        merge.ConflictKeys.push_back(key);
      }
    }
  }
  merge.BecameUtf8 = !disk->SavesUtf8() && merge.File.SavesUtf8();
  return merge;
}

std::string SettingsMergeMessage(const std::string& path, const TSettingsMerge& merge) {
  std::string message;
  if (!merge.DiskKeys.empty()) {
    std::vector<std::string> kept;
    for (const std::string& key : merge.DiskKeys) {
      if (std::find(merge.ConflictKeys.begin(), merge.ConflictKeys.end(), key) ==
          merge.ConflictKeys.end()) {
        kept.push_back(key);
      }
    }
    message = path + " was changed on disk since it was read: only the settings changed here " +
              "were written (" + JoinKeys(merge.ProgramKeys) + ")";
    if (!kept.empty()) message += "; the disk's values were kept for " + JoinKeys(kept);
    message += ".";
    if (!merge.ConflictKeys.empty()) {
      message += " Changed on both sides, the value set here replaced the disk's for " +
                 JoinKeys(merge.ConflictKeys) + ".";
    }
  }
  if (merge.BecameUtf8) {
    if (!message.empty()) message += "\n";
    message +=
        path + " is now saved in UTF-8: a path in it holds characters that Windows-1252 lacks.";
  }
  return message;
}

}  // namespace tavrel

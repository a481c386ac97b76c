#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// Where a recent-files list keeps its slots: a small key-value store of text values. The window
// backs it by the user's settings; tests back it by a map.
class TRecentFileStore {
 public:
  virtual ~TRecentFileStore() = default;
  // Opens the key, creating it when missing; false when it cannot be opened.
  virtual bool Open() = 0;
  // The text of a value; a missing value reads as empty.
  virtual std::string ReadValue(const std::string& name) = 0;
  virtual void WriteValue(const std::string& name, const std::string& value) = 0;
};

// The name of the value that holds slot n (counting from 1): "Mru1", "Mru2", ...
std::string RecentFileValueName(int slot);

// The settings group that stands for a registry-style key such as
// "\software\dravik\Tavrel\mru\": the program's own "software\<maker>\<program>" part is the
// settings file itself, so the rest ("mru") is the group. Backslashes split the key; a key of
// another program keeps all its parts. Empty when the key names nothing.
std::string RecentFileGroupOfKey(std::string_view registryKey);

// One numbered entry of the recent-files menu.
struct TRecentMenuEntry {
  std::string Caption;    // "1  report.tpg", or "01  ..." when ten or more are shown
  std::size_t ListIndex;  // the position of its path in the list
  bool operator==(const TRecentMenuEntry&) const = default;
};

// The list behind a recent-files menu: paths, most recent first, in exactly MaxCount slots after
// any load or change (padded with empty strings). The current document is never offered, since
// it is already open.
class TRecentFileList {
 public:
  static constexpr int kDefaultMaxCount = 9;

  int MaxCount() const { return maxCount_; }
  void SetMaxCount(int maxCount);
  bool OnlyExisting() const { return onlyExisting_; }
  void SetOnlyExisting(bool onlyExisting) { onlyExisting_ = onlyExisting; }
  bool ShowFullPath() const { return showFullPath_; }
  void SetShowFullPath(bool showFullPath) { showFullPath_ = showFullPath; }
  const std::string& CurrentFile() const { return currentFile_; }
  const std::vector<std::string>& Files() const { return files_; }

  // Reads slots 1..MaxCount; a store that cannot be opened leaves only empty slots. With
  // OnlyExisting, paths whose file is gone are skipped.
  void LoadFrom(TRecentFileStore& store);
  // Writes every slot, but only when the list holds slots at all: a list that was never loaded
  // or changed must not blank what another run stored.
  void SaveTo(TRecentFileStore& store) const;

  // Puts the trimmed path at the front; the same path (the same bytes: letter case counts, as
  // it does for the file system) is removed first, and the oldest entry falls off the end.
  void AddFile(std::string_view path);
  // Makes path the open document (AddFile, then hidden from the menu); an empty path is ignored.
  // Answers whether anything changed hands, i.e. whether the path was not empty.
  bool SetCurrentFile(std::string_view path);

  // Whether the entry at index is offered in the menu: not empty and not the current file
  // (compared exactly).
  bool IsShown(std::size_t index) const;
  // The menu's entries: numbered from 1, zero-padded to the digits of their count, two spaces,
  // then the full path or only its file name.
  std::vector<TRecentMenuEntry> MenuEntries() const;

  // The path behind the first menu entry, made current; empty when the menu has no entries.
  std::string TakeMostRecent();
  // The path at a list position, empty when out of range.
  std::string FileAt(std::size_t index) const;

 private:
  void Normalise();

  std::vector<std::string> files_;
  int maxCount_ = kDefaultMaxCount;
  bool onlyExisting_ = false;
  bool showFullPath_ = false;
  std::string currentFile_;
};

}  // namespace tavrel

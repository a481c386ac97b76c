#include "support/recent_files.h"

#include <algorithm>
#include <array>

#include "support/file_utils.h"
#include "support/text_utils.h"

namespace tavrel {

std::string RecentFileValueName(int slot) { return "Mru" + std::to_string(slot); }

std::string RecentFileGroupOfKey(std::string_view registryKey) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= registryKey.size()) {
    std::size_t end = registryKey.find('\\', start);
    if (end == std::string_view::npos) end = registryKey.size();
    std::string_view part = TrimBlanks(registryKey.substr(start, end - start));
    if (!part.empty()) parts.push_back(part);
    start = end + 1;
  }
  constexpr std::array<std::string_view, 3> kProgramKey = {"software", "dravik", "tavrel"};
  if (parts.size() >= kProgramKey.size() &&
      std::equal(kProgramKey.begin(), kProgramKey.end(), parts.begin(),
                 [](std::string_view a, std::string_view b) { return EqualsIgnoreCase(a, b); })) {
    parts.erase(parts.begin(), parts.begin() + kProgramKey.size());
  }
  std::string group;
  for (std::string_view part : parts) {
    if (!group.empty()) group += '/';
    group += part;
  }
  return group;
}

void TRecentFileList::SetMaxCount(int maxCount) {
  maxCount_ = std::max(0, maxCount);
  if (!files_.empty()) Normalise();
}

void TRecentFileList::Normalise() { files_.resize(static_cast<std::size_t>(maxCount_)); }

void TRecentFileList::LoadFrom(TRecentFileStore& store) {
  files_.clear();
  if (store.Open()) {
    for (int slot = 1; slot <= maxCount_; ++slot) {
      std::string path = store.ReadValue(RecentFileValueName(slot));
      if (onlyExisting_ && !PathExists(path)) continue;
      files_.push_back(std::move(path));
    }
  }
  Normalise();
}

void TRecentFileList::SaveTo(TRecentFileStore& store) const {
  if (files_.empty() || !store.Open()) return;
  for (int slot = 1; slot <= maxCount_; ++slot) {
    store.WriteValue(RecentFileValueName(slot), files_[static_cast<std::size_t>(slot - 1)]);
  }
}

void TRecentFileList::AddFile(std::string_view path) {
  const std::string trimmed(TrimBlanks(path));
  if (!trimmed.empty()) {
    // Paths are compared as the file system compares names: byte for byte. "News.tpg" and
    // "news.tpg" are two files here, and each keeps its own entry.
    auto same = std::find(files_.begin(), files_.end(), trimmed);
    if (same != files_.end()) files_.erase(same);
    files_.insert(files_.begin(), trimmed);
  }
  Normalise();
}

bool TRecentFileList::SetCurrentFile(std::string_view path) {
  if (path.empty()) return false;
  AddFile(path);
  currentFile_ = std::string(path);
  return true;
}

bool TRecentFileList::IsShown(std::size_t index) const {
  return index < files_.size() && !files_[index].empty() && files_[index] != currentFile_;
}

std::vector<TRecentMenuEntry> TRecentFileList::MenuEntries() const {
  std::size_t shown = 0;
  for (std::size_t i = 0; i < files_.size(); ++i) shown += IsShown(i) ? 1 : 0;
  const int width = static_cast<int>(std::to_string(shown).size());
  std::vector<TRecentMenuEntry> entries;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (!IsShown(i)) continue;
    const std::string& path = files_[i];
    std::string name = path;
    if (!showFullPath_) {
      const std::size_t slash = path.find_last_of('/');
      if (slash != std::string::npos) name = path.substr(slash + 1);
    }
    entries.push_back(
        {ZeroPadInt(static_cast<std::int64_t>(entries.size() + 1), width) + "  " + name, i});
  }
  return entries;
}

std::string TRecentFileList::TakeMostRecent() {
  const std::vector<TRecentMenuEntry> entries = MenuEntries();
  if (entries.empty()) return {};
  std::string path = files_[entries.front().ListIndex];
  SetCurrentFile(path);
  return path;
}

std::string TRecentFileList::FileAt(std::size_t index) const {
  return index < files_.size() ? files_[index] : std::string();
}

}  // namespace tavrel

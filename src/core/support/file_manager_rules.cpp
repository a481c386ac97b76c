#include "support/file_manager_rules.h"

#include "support/file_utils.h"
#include "support/language_texts.h"
#include "support/windows1252.h"

namespace tavrel {
namespace {

// The message text of a row with its one "%s" replaced.
std::string FormatMessage(int row, const std::string& insert) {
  std::string text(DialogText(row));
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, insert);
  return text;
}

std::string FileNamePart(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string SaveFirstMessage(const std::string& fileName) {
  const std::string namePart =
      fileName.empty() ? std::string() : "\"" + Utf8ToWindows1252(FileNamePart(fileName)) + "\"";
  return FormatMessage(kDialogFileModified, namePart);
}

std::string MissingFileMessage(const std::string& path) {
  return FormatMessage(kDialogUnableToLocate, Utf8ToWindows1252(path));
}

bool TFileManagerRules::CanClose() {
  if (!modified_) return true;
  switch (host_.AskSaveFirst(SaveFirstMessage(fileName_))) {
    case TModalResult::Yes:
      return SaveFile();
    case TModalResult::No:
      return true;
    default:
      return false;
  }
}

void TFileManagerRules::NewFile() {
  if (!CanClose()) return;
  modified_ = OnNewFile ? OnNewFile() : false;
  fileName_.clear();
  if (OnFileChange) OnFileChange();
}

void TFileManagerRules::OpenWithDialog() {
  if (!CanClose()) return;
  if (std::optional<std::string> path = host_.ChooseFileToOpen()) OpenFile(*path);
}

bool TFileManagerRules::LoadExisting(const std::string& path) {
  if (!PathExists(path)) {
    host_.ShowMissingFile(MissingFileMessage(path));
    return false;
  }
  return OnOpenFile && OnOpenFile(path);
}

void TFileManagerRules::OpenFile(const std::string& path) {
  if (!LoadExisting(path)) return;
  fileName_ = path;
  host_.SetRecentCurrentFile(path);
  modified_ = false;
  if (OnFileChange) OnFileChange();
}

void TFileManagerRules::OpenRecent(const std::string& path) {
  if (!CanClose() || !LoadExisting(path)) return;
  fileName_ = path;
  modified_ = false;
  if (OnFileChange) OnFileChange();
}

bool TFileManagerRules::SaveFile() {
  if (fileName_.empty()) {
    std::optional<std::string> path = host_.ChooseFileToSave();
    if (!path) return false;
    // The chosen name is kept even when the save below fails, so that a second Save does not
    // ask again; the document stays modified, so nothing is lost.
    fileName_ = *path;
    host_.SetRecentCurrentFile(fileName_);
  }
  if (!OnSaveFile || !OnSaveFile(fileName_)) return false;
  modified_ = false;
  if (OnFileChange) OnFileChange();
  return true;
}

void TFileManagerRules::SaveFileAs() {
  std::optional<std::string> path = host_.ChooseFileToSave();
  if (!path || !OnSaveFile || !OnSaveFile(*path)) return;
  fileName_ = *path;
  modified_ = false;
  host_.SetRecentCurrentFile(fileName_);
  if (OnFileChange) OnFileChange();
}

}  // namespace tavrel

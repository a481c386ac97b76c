#pragma once

#include <functional>
#include <optional>
#include <string>

#include "support/dialog_layout.h"

namespace tavrel {

// What the document window lends the file workflow: the questions it asks the operator and the
// recent-files list it keeps. The window answers them with its own dialogs.
class TFileManagerHost {
 public:
  virtual ~TFileManagerHost() = default;
  // The prompt to save first (warning, Yes, No and Cancel); answers the button.
  virtual TModalResult AskSaveFirst(const std::string& message) = 0;
  // The missing-file message (error, OK).
  virtual void ShowMissingFile(const std::string& message) = 0;
  // The open and save dialogs, with their file name cleared; nothing when cancelled.
  virtual std::optional<std::string> ChooseFileToOpen() = 0;
  virtual std::optional<std::string> ChooseFileToSave() = 0;
  // The recent-files list's SetCurrentFile.
  virtual void SetRecentCurrentFile(const std::string& path) = 0;
};

// The prompt to save first: the file-name part of fileName in double quotes, or nothing for a
// document that was never saved (which leaves two spaces after "File"). Windows-1252 text in the
// current language; the name, which the OS gives as UTF-8, is converted.
std::string SaveFirstMessage(const std::string& fileName);
// The message for a file that cannot be found, naming the whole path.
std::string MissingFileMessage(const std::string& path);

// The new / open / save / save-as workflow around one document, knowing nothing of its content:
// the document's owner loads, saves and clears it through the events. States: unnamed or named,
// clean or modified; a document only becomes clean through a successful new, open or save.
class TFileManagerRules {
 public:
  explicit TFileManagerRules(TFileManagerHost& host) : host_(host) {}

  // Makes a new, empty document; its answer becomes Modified (false when unset).
  std::function<bool()> OnNewFile;
  // Load or save the document under a path; true when it worked.
  std::function<bool(const std::string&)> OnOpenFile;
  std::function<bool(const std::string&)> OnSaveFile;
  // After every successful new, open and save.
  std::function<void()> OnFileChange;

  const std::string& FileName() const { return fileName_; }
  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

  void NewFile();
  void OpenWithDialog();
  void OpenFile(const std::string& path);
  // A recent-files entry was chosen. The list itself moves the path to the front and makes it
  // current whatever happens here.
  void OpenRecent(const std::string& path);
  bool SaveFile();
  void SaveFileAs();
  // Whether the document may be replaced or closed, asking to save it first when modified.
  bool CanClose();

 private:
  // Opens path when it exists; answers whether the handler loaded it.
  bool LoadExisting(const std::string& path);

  TFileManagerHost& host_;
  std::string fileName_;
  bool modified_ = false;
};

}  // namespace tavrel

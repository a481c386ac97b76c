#pragma once

#include <string>

#include "pipeline/settings_file.h"
#include "pipeline/settings_values.h"

namespace tavrel {

// The program folder: homeOption when given (--home DIR), else $TAVREL_HOME when set and not
// empty, else the folder of the running executable (/proc/self/exe, or programPath when that
// cannot be read). Answered as an absolute path with a trailing "/".
std::string ResolveProgramDir(const std::string& homeOption, const std::string& programPath);

// Every setting of the system, kept in "<ProgramDir>tavrel.ini". One instance lives for a whole
// run; the other components read and change its fields (those of TSettingsValues) directly, and
// a dialog works on a copy from Values() that SetValues() takes back on OK. Creating it creates
// the four working folders and reads the file; nothing reaches the disk before SaveSettings().
// Reading and writing the values themselves (ReadSettingsValues, WriteSettingsValues) touch no
// folder, so a scratch copy of the values never reaches the disk.
//
// Only the desktop window rewrites the file at the end of its run (it sets SaveOnExit); a
// headless command never does, so it can never overwrite what an operator is editing.
//
// Saving writes only what changed here since the file was read, into the file as it is on disk
// then (see MergeSettingsChanges): an edit made on disk meanwhile survives, and with no change
// here nothing is written at all. A file its owner may not write is never replaced.
class TRIGlobals : public TSettingsValues {
 public:
  // The settings file's name inside ProgramDir.
  static constexpr const char* kSettingsFileName = "tavrel.ini";

  // programDir is the home folder (see ResolveProgramDir). Creates the working folders (see
  // CreateWorkingFolders), reads the settings file (missing: all defaults) and runs
  // LoadSettings(). Throws tavrel::Error naming the file when the settings file exists but
  // cannot be read.
  explicit TRIGlobals(const std::string& programDir);

  // Saves when SaveOnExit is set. What saving has to say, and a failure, go to stderr: a
  // destructor must not throw, and the window has said what it had to in its own saves.
  ~TRIGlobals();

  TRIGlobals(const TRIGlobals&) = delete;
  TRIGlobals& operator=(const TRIGlobals&) = delete;

  // Creates the four working folders with any missing parents. A failure is not reported: it
  // shows later, when a file in that folder is used.
  void CreateWorkingFolders() const;

  // Takes every value from the in-memory file (see ReadSettingsValues).
  void LoadSettings();

  // What a save did.
  struct TSaveReport {
    bool Written = false;  // false: nothing was changed here, the file was left alone
    // For the operator, in UTF-8: a change on disk that was kept, the file's new encoding.
    // Empty when there is nothing to say.
    std::string Message;
  };

  // Writes the values changed here since the file was read into the file as it is on disk now
  // (MergeSettingsChanges) and replaces it atomically; afterwards the store holds what the file
  // holds, the disk's own changes included. A new file is readable by its owner only (it holds
  // the FTP password); an existing one keeps its mode. Throws tavrel::Error naming the file when
  // it cannot be written, or is read-only (no write permission for its owner: an operator who
  // locked it meant it); the values stay as they are, to be saved later.
  TSaveReport SaveSettings();

  // The values as one copyable record, and taking such a record back whole (the folders and
  // the file stay as they are; nothing reaches the disk before SaveSettings()).
  const TSettingsValues& Values() const { return *this; }
  void SetValues(const TSettingsValues& values) { TSettingsValues::operator=(values); }

  // The general options alone, for the General Options dialog.
  const TGeneralOptions& GeneralOptions() const { return *this; }
  void SetGeneralOptions(const TGeneralOptions& options) { TGeneralOptions::operator=(options); }

  // The name under which the feed lives in ImportDir and HandledDir: "WebRSS.xml" for a web
  // feed, else the last component of XMLFilePath ("/" and "\" both separate).
  std::string XmlFileName() const;

  // A path taken from the settings (the feed file, a category's templates) as a file to open.
  // A relative path is taken from ProgramDir, so that a workspace keeps working wherever it is
  // copied; an absolute path, and an empty one (nothing configured), stay as they are. Every
  // reader of such a path goes through here.
  std::string ResolvePath(const std::string& path) const;

  // The local feed file XMLFilePath, resolved as above.
  std::string FeedFilePath() const { return ResolvePath(XMLFilePath); }

  // The whole settings file as last read or saved, with every section (the category table's
  // too). Changes reach the disk with the next SaveSettings().
  TSettingsFile& File() { return file_; }
  const TSettingsFile& File() const { return file_; }

  // Folders, absolute, each with a trailing "/".
  std::string ProgramDir;
  std::string IniFileName;
  std::string ImportDir;
  std::string ExportDir;
  std::string HandledDir;
  std::string TemplatesDir;

  // Empties Categories and fills it from the file's category sections (see LoadCategoryTable).
  void LoadCategories();
  // Replaces the file's category sections with Categories (see SaveCategoryTable). Reaches the
  // disk with the rest of the file in SaveSettings().
  void SaveCategories();

  // Set by the desktop window only: save the settings when the store is destroyed.
  bool SaveOnExit = false;

 private:
  TSettingsFile file_;
  // The file as last read or saved, and the values taken from it: saving compares against
  // these to find what changed here and what changed on disk.
  TSettingsFile readFile_;
  bool readFileExisted_ = false;
  TSettingsValues readValues_;
};

}  // namespace tavrel

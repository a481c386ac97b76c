#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pipeline/settings_file.h"
#include "pipeline/settings_values.h"

namespace tavrel {

// How saving puts the program's settings into the settings file on disk without throwing away
// what someone else wrote there meanwhile (an administrator's FTP password, a service's
// ScanInterval). Only the keys whose values the program changed since it read the file are
// written, into the file as it is on disk now; every other key keeps the disk's value.
struct TSettingsMerge {
  // False when there is nothing to write: the program changed no value (a first start, with
  // no file then and now, always writes, so that the file exists with every key).
  bool Write = false;
  // The file to write: the disk's file with the program's changes. Keys of the "Settings"
  // section that neither the disk nor the file as read held are added, so a saved file always
  // names every setting.
  TSettingsFile File;
  // "[Section] Key" of every value the program changed, in file order.
  std::vector<std::string> ProgramKeys;
  // "[Section] Key" of every value changed on disk since it was read, kept unless also in
  // ProgramKeys.
  std::vector<std::string> DiskKeys;
  // The keys changed on both sides to different values: the program's value is written (the
  // operator just confirmed it).
  std::vector<std::string> ConflictKeys;
  // A Windows-1252 file had to become UTF-8 to hold a path (see TSettingsFile::WritePath).
  bool BecameUtf8 = false;
};

// readValues: what the program took from readFile when it read it (readFileExisted false: the
// file was missing, and readFile is empty in the encoding a new file gets); currentValues: the
// values now; disk: the file as it is on disk now, nothing when it is missing. Touches no file.
TSettingsMerge MergeSettingsChanges(const TSettingsValues& readValues,
                                    const TSettingsValues& currentValues,
                                    const TSettingsFile& readFile, bool readFileExisted,
                                    const std::optional<TSettingsFile>& disk);

// What the operator should be told about a merge written to path, in UTF-8; empty when the
// disk had no changes of its own and the file kept its encoding.
std::string SettingsMergeMessage(const std::string& path, const TSettingsMerge& merge);

}  // namespace tavrel

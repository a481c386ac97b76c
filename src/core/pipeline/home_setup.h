#pragma once

#include <string>
#include <vector>

namespace tavrel {

// What making a home did, for the operator.
struct THomeSetupReport {
  // The settings file was written with the defaults (false: an existing one was kept).
  bool SettingsWritten = false;
  // Starter templates copied into Templates/, by file name, and those left alone because a
  // template of that name was already there.
  std::vector<std::string> TemplatesAdded;
  std::vector<std::string> TemplatesKept;
};

// Makes a home folder without the window: the folder itself (with its parents) and the four
// working folders, the settings file with the defaults exactly as the window's first start
// writes it (a fresh settings store saved once, the one code path both take), and a copy of
// every ".tpg" file of starterTemplatesFolder in Templates/. A folder that already holds a
// settings file is a home: it is refused (tavrel::Error naming the file) unless keepExisting,
// and then its settings file is not touched and only missing folders and templates are added.
// An existing template is never replaced. A starterTemplatesFolder that does not exist gives a
// home without templates; one that cannot be read throws.
THomeSetupReport CreateHome(const std::string& folder, const std::string& starterTemplatesFolder,
                            bool keepExisting);

}  // namespace tavrel

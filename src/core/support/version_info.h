#pragma once

#include <string>

namespace tavrel {

// The four-part file version of the program (such as 1.0.0.0), which the build stamps in, and
// its split into the version and build numbers that the about box shows.
class TVersionInfo {
 public:
  // What the file version reads when the program carries none.
  static constexpr const char* kValueNotAvailable = "Value Not Available";

  // The program's own file version.
  TVersionInfo();
  // A given file version text; an empty one counts as not available.
  explicit TVersionInfo(std::string fileVersion);

  const std::string& FileVersion() const { return fileVersion_; }
  // The text before the second "." (1.2 of 1.2.4.1); empty when there is no second dot.
  std::string VersionNumber() const;
  // The text after the second "." (4.1 of 1.2.4.1); the whole text when there is no second dot.
  std::string BuildNumber() const;

 private:
  std::string fileVersion_;
};

// The about box's version line: "Version ", the version number, " build ", the build number,
// three spaces and the date text.
std::string AboutVersionLine(const TVersionInfo& version, const std::string& dateText);

}  // namespace tavrel

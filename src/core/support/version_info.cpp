#include "support/version_info.h"

#include <utility>

namespace tavrel {

namespace {

// Position of the second "." of the text, or npos.
std::size_t SecondDot(const std::string& text) {
  const std::size_t first = text.find('.');
  return first == std::string::npos ? first : text.find('.', first + 1);
}

}  // namespace

// TAVREL_FILE_VERSION comes from the build (this file's compile definitions); a build without
// one has no version to tell.
#ifdef TAVREL_FILE_VERSION
TVersionInfo::TVersionInfo() : TVersionInfo(TAVREL_FILE_VERSION) {}
#else
TVersionInfo::TVersionInfo() : TVersionInfo(std::string()) {}
#endif

TVersionInfo::TVersionInfo(std::string fileVersion)
    : fileVersion_(fileVersion.empty() ? std::string(kValueNotAvailable) : std::move(fileVersion)) {
}

std::string TVersionInfo::VersionNumber() const {
  const std::size_t dot = SecondDot(fileVersion_);
  return dot == std::string::npos ? std::string() : fileVersion_.substr(0, dot);
}

std::string TVersionInfo::BuildNumber() const {
  const std::size_t dot = SecondDot(fileVersion_);
  return dot == std::string::npos ? fileVersion_ : fileVersion_.substr(dot + 1);
}

std::string AboutVersionLine(const TVersionInfo& version, const std::string& dateText) {
  return "Version " + version.VersionNumber() + " build " + version.BuildNumber() + "   " +
         dateText;
}

}  // namespace tavrel

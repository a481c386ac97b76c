#pragma once

#include <string>

namespace tavrel {

// Packs the files of one folder into a new zip archive. The transmission server unpacks the
// archive into a flat folder, so by default every member is stored under its bare file name.
class TZipUnzip {
 public:
  // Folder whose files are packed; a trailing '/' is optional.
  std::string SourceFolder;
  // Full path of the archive to create. An existing file of that name is replaced, and the
  // archive itself is never packed into itself.
  std::string ZipFileName;
  // false: only files lying directly in SourceFolder, stored under their bare names.
  // true: sub-folders too, stored with their folder names ("sub/name").
  bool RecurseFolders = false;

  // Writes the archive. Throws tavrel::Error naming the archive or the member that failed;
  // after a failure no archive of that name is left behind.
  void Zip() const;
};

// Packs the files lying directly in folder into a new archive at archivePath.
void ZipFolder(const std::string& folder, const std::string& archivePath);

}  // namespace tavrel

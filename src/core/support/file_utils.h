#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace tavrel {

// Owns a file descriptor and closes it once.
class TFileDescriptor {
 public:
  explicit TFileDescriptor(int fd) : fd_(fd) {}
  ~TFileDescriptor();
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  // Closes now and answers the close error (0 when none), for writers that must check it.
  int Close();

 private:
  int fd_;
};

// Free routines on files that several subsystems share. Paths are bytes as the OS gives them,
// with "/" between folders. A mask is a folder part followed by a file pattern in which "*"
// and "?" are wildcards; as with the masks operators know from Windows, a pattern ending in
// ".*" also matches names without a dot, so "<folder>/*.*" means every entry of the folder.

// Deletes every entry of the mask's folder that matches its pattern, whatever its permission
// bits (write-protected files go too, as unlinking does not look at them). Sub-folders are
// neither entered nor removed, and a symbolic link is removed as a link. A failure on one
// entry does not stop the others; answers how many matching entries could not be deleted.
int DeleteFilesByMask(const std::string& mask);

// Size in bytes of the first entry (in name order) that matches the path or mask, or -1 when
// none does. A folder answers 0: folders have no size of their own here.
std::int64_t GetFileSize(const std::string& pathOrMask);

// Last-write time of the first entry that matches the path or mask, packed in the 32-bit
// date-time form of the FAT file system in local time (years since 1980 in bits 25..31, month
// 21..24, day 16..20, hours 11..15, minutes 5..10, seconds / 2 in 0..4), or -1 when none
// matches. Times before 1980 are given as the first second of 1980, times after 2107 as the
// last second of 2107.
std::int32_t GetFileDate(const std::string& pathOrMask);

// Whether both files exist and hold the same bytes (two empty files are equal). A missing file
// answers false; a file that exists but cannot be read throws tavrel::Error naming it. The files
// are compared block by block, so their size does not matter for memory.
bool SameFileContent(const std::string& pathA, const std::string& pathB);

// Closes a C stream when its owner goes, for code that works through stdio or hands a FILE* to
// a library. A writer that must know whether its data reached the file closes it itself:
// std::fclose(handle.release()).
struct StdioFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, StdioFileCloser>;

// Opens path with an fopen mode ("rb", "wb"); an empty handle when it cannot be opened, with
// errno telling why.
UniqueFile OpenFile(const std::string& path, const char* mode);

// Whether anything (file, folder, link) exists under path.
bool PathExists(const std::string& path);

// A folder as an absolute path with its links resolved as far as it exists, ending in "/": the
// one spelling under which two starts compare the folder they were given.
std::string CanonicalFolder(const std::string& folder);
// Whether two folder paths name the same folder: "home", "./home/" and a link to it are one.
bool SameFolder(const std::string& a, const std::string& b);

// The whole content of a file. Throws tavrel::Error naming the file when it cannot be opened or
// read, or when it is larger than maxBytes (outside input is never read without a bound).
std::string ReadFileBytes(const std::string& path, std::size_t maxBytes);

// Replaces the content of path with bytes so that a crash or a full disk at any moment leaves
// either the old or the new content, never a truncated file: the bytes go to a temporary file
// beside it, which is flushed to disk and then renamed over the old one. An existing file keeps
// its permission bits (plus the owner's write bit) and, where allowed, its owner; a new file
// gets newFileMode less the process umask. A symbolic link is followed and its target replaced.
// An existing entry that is not a regular file (a folder, a FIFO, a device) is refused.
// Throws tavrel::Error naming path on any failure, and leaves no temporary file behind.
void ReplaceFileAtomically(const std::string& path, std::string_view bytes, mode_t newFileMode);

}  // namespace tavrel

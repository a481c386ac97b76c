#include "support/file_utils.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

#include "support/error.h"

namespace tavrel {

namespace {

std::string ErrnoText(int error) { return std::strerror(error); }

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

struct SplitMask {
  std::string Folder;   // with its trailing "/", or empty for the current folder
  std::string Pattern;  // the part after the last "/"
};

SplitMask Split(const std::string& mask) {
  const auto slash = mask.rfind('/');
  if (slash == std::string::npos) return {"", mask};
  return {mask.substr(0, slash + 1), mask.substr(slash + 1)};
}

bool HasWildcard(std::string_view pattern) {
  return pattern.find_first_of("*?") != std::string_view::npos;
}

bool MatchesPattern(const std::string& pattern, const char* name) {
  if (::fnmatch(pattern.c_str(), name, 0) == 0) return true;
  // "name.*" also matches "name" itself, so "*.*" matches every entry.
  if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0) {
    const std::string withoutDot = pattern.substr(0, pattern.size() - 2);
    return ::fnmatch(withoutDot.c_str(), name, 0) == 0 && std::strchr(name, '.') == nullptr;
  }
  return false;
}

// Full paths of the entries matching mask, in name order so that "the first match" does not
// depend on the order in which the file system happens to list them.
std::vector<std::string> MatchingPaths(const std::string& mask) {
  std::vector<std::string> paths;
  const SplitMask split = Split(mask);
  if (split.Pattern.empty()) return paths;
  if (!HasWildcard(split.Pattern)) {
    struct stat info {};
    if (::lstat(mask.c_str(), &info) == 0) paths.push_back(mask);
    return paths;
  }
  std::unique_ptr<DIR, DirCloser> dir(::opendir(split.Folder.empty() ? "." : split.Folder.c_str()));
  if (!dir) return paths;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    if (MatchesPattern(split.Pattern, entry->d_name)) paths.push_back(split.Folder + entry->d_name);
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

bool FirstMatch(const std::string& pathOrMask, struct stat& info) {
  for (const auto& path : MatchingPaths(pathOrMask)) {
    if (::stat(path.c_str(), &info) == 0 || ::lstat(path.c_str(), &info) == 0) return true;
  }
  return false;
}

std::uint32_t PackFatDateTime(std::time_t time) {
  std::tm local{};
  if (::localtime_r(&time, &local) == nullptr) return 0;
  int year = local.tm_year + 1900;
  if (year < 1980) return (0u << 25) | (1u << 21) | (1u << 16);
  if (year > 2107) {
    year = 2107;
    local.tm_mon = 11;
    local.tm_mday = 31;
    local.tm_hour = 23;
    local.tm_min = 59;
    local.tm_sec = 59;
  }
  const int seconds = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second
  return (static_cast<std::uint32_t>(year - 1980) << 25) |
         (static_cast<std::uint32_t>(local.tm_mon + 1) << 21) |
         (static_cast<std::uint32_t>(local.tm_mday) << 16) |
         (static_cast<std::uint32_t>(local.tm_hour) << 11) |
         (static_cast<std::uint32_t>(local.tm_min) << 5) | static_cast<std::uint32_t>(seconds / 2);
}

// Reads up to size bytes, retrying short reads; answers the count read (less only at the end
// of the file) or throws naming path.
std::size_t ReadFully(int fd, char* buffer, std::size_t size, const std::string& path) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, buffer + done, size - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw FileError(path, "cannot read: " + ErrnoText(errno));
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

int OpenForReading(const std::string& path) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

TFileDescriptor::~TFileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

int TFileDescriptor::Close() {
  const int result = ::close(fd_);
  fd_ = -1;
  return result == 0 ? 0 : errno;
}

int DeleteFilesByMask(const std::string& mask) {
  const SplitMask split = Split(mask);
  if (split.Pattern.empty()) return 0;
  if (!HasWildcard(split.Pattern)) {
    struct stat info {};
    if (::lstat(mask.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return 0;
    return ::unlink(mask.c_str()) == 0 ? 0 : 1;
  }
  // Unlinked by name within the open folder, without a status call per entry: emptying the
  // export folder before every run must cost little more than the unlinks. The permission
  // bits of a file do not hinder its unlinking, so a write-protected file goes as well; a
  // sub-folder answers EISDIR and stays.
  std::unique_ptr<DIR, DirCloser> dir(::opendir(split.Folder.empty() ? "." : split.Folder.c_str()));
  if (!dir) return 0;
  const int folder = ::dirfd(dir.get());
  int failures = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    if (entry->d_type == DT_DIR || !MatchesPattern(split.Pattern, entry->d_name)) continue;
    if (::unlinkat(folder, entry->d_name, 0) != 0 && errno != EISDIR && errno != ENOENT) {
      ++failures;
    }
  }
  return failures;
}

std::int64_t GetFileSize(const std::string& pathOrMask) {
  struct stat info {};
  if (!FirstMatch(pathOrMask, info)) return -1;
  if (S_ISDIR(info.st_mode)) return 0;
  return static_cast<std::int64_t>(info.st_size);
}

std::int32_t GetFileDate(const std::string& pathOrMask) {
  struct stat info {};
  if (!FirstMatch(pathOrMask, info)) return -1;
  return static_cast<std::int32_t>(PackFatDateTime(info.st_mtime));
}

UniqueFile OpenFile(const std::string& path, const char* mode) {
  return UniqueFile(std::fopen(path.c_str(), mode));
}

bool PathExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

std::string CanonicalFolder(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path path = fs::weakly_canonical(fs::absolute(folder.empty() ? "." : folder, error), error);
  if (error) path = fs::path(folder).lexically_normal();
  // weakly_canonical keeps a trailing separator as an empty last part.
  while (path.has_relative_path() && path.filename().empty()) path = path.parent_path();
  std::string text = path.string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

bool SameFolder(const std::string& a, const std::string& b) {
  return CanonicalFolder(a) == CanonicalFolder(b);
}

bool SameFileContent(const std::string& pathA, const std::string& pathB) {
  struct stat infoA {
  }, infoB{};
  if (::stat(pathA.c_str(), &infoA) != 0 || ::stat(pathB.c_str(), &infoB) != 0) return false;
  TFileDescriptor a(OpenForReading(pathA));
  if (!a.Valid()) throw FileError(pathA, "cannot open: " + ErrnoText(errno));
  TFileDescriptor b(OpenForReading(pathB));
  if (!b.Valid()) throw FileError(pathB, "cannot open: " + ErrnoText(errno));
  if (S_ISREG(infoA.st_mode) && S_ISREG(infoB.st_mode) && infoA.st_size != infoB.st_size) {
    return false;
  }
  constexpr std::size_t kBlock = 64 * 1024;
  std::vector<char> bufferA(kBlock), bufferB(kBlock);
  while (true) {
    const std::size_t gotA = ReadFully(a.Get(), bufferA.data(), kBlock, pathA);
    const std::size_t gotB = ReadFully(b.Get(), bufferB.data(), kBlock, pathB);
    if (gotA != gotB) return false;
    if (std::memcmp(bufferA.data(), bufferB.data(), gotA) != 0) return false;
    if (gotA < kBlock) return true;
  }
}

std::string ReadFileBytes(const std::string& path, std::size_t maxBytes) {
  TFileDescriptor file(OpenForReading(path));
  if (!file.Valid()) throw FileError(path, "cannot open: " + ErrnoText(errno));
  auto tooLarge = [&] {
    return FileError(path,
                     "file is larger than the limit of " + std::to_string(maxBytes) + " bytes");
  };
  // A regular file is read into a buffer of its own size plus one byte, the byte that shows
  // the end was reached: the buffer is zero-filled before the read, and a block far larger
  // than a small file (a template, a settings file) would cost more to fill than to read.
  // Files that give no size (pipes, /proc) and a file that grows while read go on in blocks.
  constexpr std::size_t kBlock = 64 * 1024;
  std::size_t block = kBlock;
  struct stat info {};
  if (::fstat(file.Get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (size > maxBytes) throw tooLarge();
    block = static_cast<std::size_t>(size) + 1;
  }
  std::string bytes;
  while (true) {
    const std::size_t before = bytes.size();
    bytes.resize(before + block);
    const std::size_t got = ReadFully(file.Get(), bytes.data() + before, block, path);
    bytes.resize(before + got);
    if (bytes.size() > maxBytes) throw tooLarge();
    if (got < block) return bytes;
    block = kBlock;
  }
}

void ReplaceFileAtomically(const std::string& path, std::string_view bytes, mode_t newFileMode) {
  // Replace the target of a link, not the link itself, so that a settings file kept elsewhere
  // and linked into the home stays where the operator put it.
  std::string target = path;
  struct stat linkInfo {};
  if (::lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (!resolved) throw FileError(path, "cannot follow link: " + ErrnoText(errno));
    target = resolved.get();
  }

  struct stat oldInfo {};
  const bool existed = ::stat(target.c_str(), &oldInfo) == 0;
  if (existed && S_ISDIR(oldInfo.st_mode)) throw FileError(path, "cannot save: is a folder");
  // A FIFO, a device or a socket named here must stay what it is: renaming a file over it
  // would replace it (as root, a device node) with a regular file.
  if (existed && !S_ISREG(oldInfo.st_mode)) {
    throw FileError(path, "cannot save: is not a regular file, and is not replaced");
  }

  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                existed ? S_IRUSR | S_IWUSR : newFileMode);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) throw FileError(path, "cannot save: " + ErrnoText(errno));
  TFileDescriptor file(fd);

  auto fail = [&](int error) {
    ::unlink(temporary.c_str());
    return FileError(path, "cannot save: " + ErrnoText(error));
  };

  if (existed) {
    // Best effort: an unprivileged writer cannot hand the file back to another owner.
    if (::fchown(file.Get(), oldInfo.st_uid, oldInfo.st_gid) != 0) {
      // Keep our own ownership; the content and the mode still carry over.
    }
    if (::fchmod(file.Get(), (oldInfo.st_mode & 07777) | S_IWUSR) != 0) throw fail(errno);
  }
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t put = ::write(file.Get(), bytes.data() + written, bytes.size() - written);
    if (put < 0) {
      if (errno == EINTR) continue;
      throw fail(errno);
    }
    written += static_cast<std::size_t>(put);
  }
  if (::fsync(file.Get()) != 0) throw fail(errno);
  if (const int error = file.Close(); error != 0) throw fail(error);
  if (::rename(temporary.c_str(), target.c_str()) != 0) throw fail(errno);

  // Make the rename itself durable; a failure here leaves a complete file in place, so it is
  // not worth an error.
  const SplitMask split = Split(target);
  TFileDescriptor folder(::open(split.Folder.empty() ? "." : split.Folder.c_str(),
                                O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Valid()) ::fsync(folder.Get());
}

}  // namespace tavrel

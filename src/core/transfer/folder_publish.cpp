#include "transfer/folder_publish.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <exception>
#include <set>
#include <sstream>

#include "support/file_utils.h"

namespace tavrel {

namespace {

constexpr mode_t kPageFileMode = 0644;
constexpr mode_t kManifestMode = 0644;
// A manifest is a few thousand names; anything far larger is not ours.
constexpr std::size_t kMaxManifestBytes = 4 * 1024 * 1024;
constexpr std::string_view kPageFileEnding = ".tti";
// The manifest's first line names the folder it lists, so that a home whose target folder was
// changed never removes files from the new folder by the names it published in the old one.
constexpr std::string_view kManifestFolderTag = "Folder ";

class TFileDescriptor {
 public:
  explicit TFileDescriptor(int fd) : fd_(fd) {}
  ~TFileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  int Get() const { return fd_; }
  // Closes now and answers the error of close(), 0 when it succeeded.
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

std::string Reason(int error) { return std::strerror(error); }

bool Fail(std::string* failure, const std::string& message) {
  if (failure != nullptr) *failure = message;
  return false;
}

std::string Joined(const std::string& folder, const std::string& name) {
  return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Only such names are ever written or removed: a manifest edited by hand must never reach a
// file outside the folder or one an inserter does not read as a page.
bool IsPageFileName(const std::string& name) {
  return name.size() > kPageFileEnding.size() && name.front() != '.' &&
         name.find('/') == std::string::npos && name.find('\0') == std::string::npos &&
         name.ends_with(kPageFileEnding);
}

struct TManifest {
  std::string Folder;
  std::set<std::string> Names;
};

// The manifest as it is on disk; a missing one lists nothing. Throws Error naming it when it
// exists but cannot be read.
TManifest ReadManifest(const std::string& path) {
  TManifest manifest;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) return manifest;
  std::istringstream lines(ReadFileBytes(path, kMaxManifestBytes));
  std::string line;
  bool first = true;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first && line.starts_with(kManifestFolderTag)) {
      manifest.Folder = line.substr(kManifestFolderTag.size());
    } else if (IsPageFileName(line)) {
      manifest.Names.insert(line);
    }
    first = false;
  }
  return manifest;
}

void WriteManifest(const std::string& path, const TManifest& manifest) {
  std::string text = std::string(kManifestFolderTag) + manifest.Folder + "\n";
  for (const std::string& name : manifest.Names) text += name + "\n";
  ReplaceFileAtomically(path, text, kManifestMode);
}

// Whether the file at path holds exactly bytes. A file that cannot be read counts as different,
// so that it is replaced.
bool HoldsBytes(const std::string& path, const std::string& bytes) {
  TFileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (file.Get() < 0) return false;
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::size_t>(info.st_size) != bytes.size()) {
    return false;
  }
  std::string content(bytes.size(), '\0');
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t got = ::read(file.Get(), content.data() + done, content.size() - done);
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return content == bytes;
}

// A page file waiting under its temporary name for its rename.
struct TStagedFile {
  std::string Path;
  std::string Temporary;
  bool Replacing = false;
  timespec OldTime{};
};

// Writes one page file's bytes under its temporary name beside it.
bool StagePageFile(const std::string& folder, const TFolderPageFile& file, TStagedFile& staged,
                   std::string* failure) {
  staged.Path = Joined(folder, file.Name);
  staged.Temporary = Joined(folder, PageFolderTemporaryName(file.Name));
  struct stat old {};
  staged.Replacing = ::lstat(staged.Path.c_str(), &old) == 0;
  if (staged.Replacing && !S_ISREG(old.st_mode)) {
    return Fail(failure, staged.Path + ": not a regular file; it is left as it is");
  }
  staged.OldTime = old.st_mtim;
  TFileDescriptor out(::open(staged.Temporary.c_str(),
                             O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, kPageFileMode));
  if (out.Get() < 0) return Fail(failure, staged.Temporary + ": cannot create: " + Reason(errno));
  const auto abandon = [&](const std::string& what, int error) {
    ::unlink(staged.Temporary.c_str());
    return Fail(failure, staged.Temporary + ": " + what + ": " + Reason(error));
  };
  for (std::size_t done = 0; done < file.Bytes.size();) {
    const ssize_t wrote = ::write(out.Get(), file.Bytes.data() + done, file.Bytes.size() - done);
    if (wrote < 0) {
      if (errno == EINTR) continue;
      return abandon("cannot write", errno);
    }
    done += static_cast<std::size_t>(wrote);
  }
  if (const int error = out.Close(); error != 0) return abandon("cannot close", error);
  return true;
}

// Renames a staged file over the page file, dated after the old one where that is needed.
bool RenameStagedFile(const TStagedFile& staged, std::string* failure) {
  if (staged.Replacing) {
    // An inserter that compares modification times in whole seconds would miss a change made
    // within the second of the file it replaces: the new file is dated one second past it.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    if (staged.OldTime.tv_sec >= now.tv_sec) {
      const timespec times[2] = {{0, UTIME_OMIT}, {staged.OldTime.tv_sec + 1, 0}};
      if (::utimensat(AT_FDCWD, staged.Temporary.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        return Fail(failure, staged.Temporary + ": cannot set the time: " + Reason(errno));
      }
    }
  }
  if (::rename(staged.Temporary.c_str(), staged.Path.c_str()) != 0) {
    return Fail(failure, staged.Path + ": cannot replace: " + Reason(errno));
  }
  return true;
}

// Writes every changed page under its temporary name, brings them all to disk at once, then
// renames them over the old files in one short run: one flush instead of one per file, and an
// inserter sees the new pages arrive together.
bool ReplacePageFiles(const std::string& folder, const std::vector<const TFolderPageFile*>& files,
                      std::string* failure) {
  std::vector<TStagedFile> staged(files.size());
  const auto removeStaged = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) ::unlink(staged[i].Temporary.c_str());
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!StagePageFile(folder, *files[i], staged[i], failure)) {
      removeStaged(0, i);
      return false;
    }
  }
  if (!files.empty()) {
    TFileDescriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // The file system of the folder holds every staged file: one call flushes them all.
    if (handle.Get() < 0 || ::syncfs(handle.Get()) != 0) {
      const int error = errno;
      removeStaged(0, files.size());
      return Fail(failure, folder + ": cannot flush the page files to disk: " + Reason(error));
    }
  }
  for (std::size_t i = 0; i < staged.size(); ++i) {
    if (!RenameStagedFile(staged[i], failure)) {
      removeStaged(i, staged.size());
      return false;
    }
  }
  return true;
}

// Flushes the folder's entries (the renames and removals) to disk.
void SyncFolder(const std::string& folder) {
  TFileDescriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (handle.Get() >= 0) ::fsync(handle.Get());
}

}  // namespace

std::string PageFolderTemporaryName(const std::string& name) { return "." + name + ".new"; }

std::string PageFolderProblem(const std::string& folder) {
  if (folder.empty()) return "no page folder is set (TargetFolder)";
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) {
    return folder + ": the page folder cannot be reached: " + Reason(errno);
  }
  if (!S_ISDIR(info.st_mode)) return folder + ": the page folder is not a folder";
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    return folder + ": the page folder is not writable: " + Reason(errno);
  }
  return {};
}

bool PublishToFolder(const std::string& folder, const std::vector<TFolderPageFile>& files,
                     const std::string& manifestPath, std::string* failure,
                     TFolderPublication* report) {
  TFolderPublication done;
  try {
    if (std::string problem = PageFolderProblem(folder); !problem.empty()) {
      return Fail(failure, problem);
    }
    std::set<std::string> names;
    for (const TFolderPageFile& file : files) {
      if (!IsPageFileName(file.Name)) {
        return Fail(failure, Joined(folder, file.Name) + ": not a page file name");
      }
      names.insert(file.Name);
    }
    const std::string canonical = CanonicalFolder(folder);
    TManifest recorded = ReadManifest(manifestPath);
    if (recorded.Folder != canonical) recorded = TManifest{canonical, {}};

    // A file of the new names that Tavrel did not publish belongs to someone else.
    for (const std::string& name : names) {
      struct stat info {};
      const std::string path = Joined(folder, name);
      if (!recorded.Names.contains(name) && ::lstat(path.c_str(), &info) == 0) {
        return Fail(failure, path +
                                 ": a file Tavrel did not publish is in the way; move it "
                                 "away to put this page on air");
      }
    }
    // First the union, so that a publication broken off after a rename still knows the file
    // it wrote, and one broken off before a removal still knows the file to remove.
    TManifest widened = recorded;
    widened.Names.insert(names.begin(), names.end());
    if (widened.Names != recorded.Names || widened.Folder != recorded.Folder) {
      WriteManifest(manifestPath, widened);
    }
    std::vector<const TFolderPageFile*> changed;
    for (const TFolderPageFile& file : files) {
      if (HoldsBytes(Joined(folder, file.Name), file.Bytes)) {
        ++done.Unchanged;
      } else {
        changed.push_back(&file);
      }
    }
    if (!ReplacePageFiles(folder, changed, failure)) {
      if (report != nullptr) *report = done;
      return false;
    }
    done.Written = static_cast<int>(changed.size());
    for (const std::string& name : widened.Names) {
      if (names.contains(name)) continue;
      const std::string path = Joined(folder, name);
      // A temporary file left by a publication broken off before its rename goes too.
      ::unlink(Joined(folder, PageFolderTemporaryName(name)).c_str());
      if (::unlink(path.c_str()) == 0) {
        ++done.Removed;
      } else if (errno != ENOENT) {
        const int error = errno;
        if (report != nullptr) *report = done;
        return Fail(failure, path + ": cannot remove: " + Reason(error));
      }
    }
    SyncFolder(folder);
    if (widened.Names != names) WriteManifest(manifestPath, TManifest{canonical, names});
  } catch (const std::exception& error) {
    if (report != nullptr) *report = done;
    return Fail(failure, error.what());
  }
  if (report != nullptr) *report = done;
  return true;
}

}  // namespace tavrel

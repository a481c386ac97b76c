#include "transfer/folder_publish.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>

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

// What Tavrel knows of a page file it published: the state the file had when it was written or
// last found holding these bytes, and a digest of the bytes. A file whose state still matches
// and whose new bytes have the same digest is not read again: republishing unchanged pages
// costs one stat per file. Anything else (an edit in place, a copy from elsewhere, a manifest
// of an older version without states) is read and compared byte by byte.
struct TFileRecord {
  bool Known = false;
  std::uint64_t Inode = 0;
  std::int64_t Size = -1;
  std::int64_t Seconds = 0;
  std::int64_t Nanoseconds = 0;
  std::uint64_t Digest = 0;

  bool Matches(const struct stat& info) const {
    return Known && Inode == info.st_ino && Size == info.st_size &&
           Seconds == info.st_mtim.tv_sec && Nanoseconds == info.st_mtim.tv_nsec;
  }
};

struct TManifest {
  std::string Folder;
  std::map<std::string, TFileRecord> Files;
};

std::uint64_t DigestOf(const std::string& bytes) { return std::hash<std::string>{}(bytes); }

TFileRecord RecordOf(const struct stat& info, std::uint64_t digest) {
  return {true,
          static_cast<std::uint64_t>(info.st_ino),
          static_cast<std::int64_t>(info.st_size),
          static_cast<std::int64_t>(info.st_mtim.tv_sec),
          static_cast<std::int64_t>(info.st_mtim.tv_nsec),
          digest};
}

// The manifest as it is on disk; a missing one lists nothing. A line is a page file's name,
// optionally followed by its recorded state (tab-separated). Throws Error naming the manifest
// when it exists but cannot be read.
// Reads a whole number from text at position at, skipping one tab before it; false when there
// is none.
template <typename Number>
bool ReadField(std::string_view line, std::size_t& at, Number& value) {
  if (at >= line.size() || line[at] != '\t') return false;
  const auto [end, error] = std::from_chars(line.data() + at + 1, line.data() + line.size(), value);
  if (error != std::errc()) return false;
  at = static_cast<std::size_t>(end - line.data());
  return true;
}

TManifest ReadManifest(const std::string& path) {
  TManifest manifest;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) return manifest;
  const std::string text = ReadFileBytes(path, kMaxManifestBytes);
  bool first = true;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first && line.starts_with(kManifestFolderTag)) {
      manifest.Folder = std::string(line.substr(kManifestFolderTag.size()));
      first = false;
      continue;
    }
    first = false;
    const std::size_t tab = std::min(line.find('\t'), line.size());
    const std::string name(line.substr(0, tab));
    if (!IsPageFileName(name)) continue;
    TFileRecord record;
    std::size_t at = tab;
    record.Known = ReadField(line, at, record.Inode) && ReadField(line, at, record.Size) &&
                   ReadField(line, at, record.Seconds) && ReadField(line, at, record.Nanoseconds) &&
                   ReadField(line, at, record.Digest) && at == line.size();
    manifest.Files.insert_or_assign(name, record);
  }
  return manifest;
}

std::string ManifestText(const TManifest& manifest) {
  std::string text = std::string(kManifestFolderTag) + manifest.Folder + "\n";
  for (const auto& [name, record] : manifest.Files) {
    text += name;
    if (record.Known) {
      text += "\t" + std::to_string(record.Inode) + "\t" + std::to_string(record.Size) + "\t" +
              std::to_string(record.Seconds) + "\t" + std::to_string(record.Nanoseconds) + "\t" +
              std::to_string(record.Digest);
    }
    text += "\n";
  }
  return text;
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
  std::string Name;
  std::string Path;
  std::string Temporary;
  bool Replacing = false;
  timespec OldTime{};
  // The new file's state once written (and dated), for the manifest; it counts once renamed.
  TFileRecord Record;
  bool Renamed = false;
};

// Writes one page file's bytes under its temporary name beside it.
// A page file to write, and the modification time of the file it replaces, if there is one.
struct TChange {
  const TFolderPageFile* File = nullptr;
  std::optional<timespec> OldTime;
};

bool StagePageFile(const std::string& folder, const TChange& change, TStagedFile& staged,
                   std::string* failure) {
  const TFolderPageFile& file = *change.File;
  staged.Name = file.Name;
  staged.Path = Joined(folder, file.Name);
  staged.Temporary = Joined(folder, PageFolderTemporaryName(file.Name));
  staged.Replacing = change.OldTime.has_value();
  if (change.OldTime) staged.OldTime = *change.OldTime;
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
  struct stat written {};
  if (::fstat(out.Get(), &written) != 0) return abandon("cannot read its state", errno);
  staged.Record = RecordOf(written, DigestOf(file.Bytes));
  if (const int error = out.Close(); error != 0) return abandon("cannot close", error);
  return true;
}

// Renames a staged file over the page file, dated after the old one where that is needed.
bool RenameStagedFile(TStagedFile& staged, std::string* failure) {
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
      staged.Record.Seconds = staged.OldTime.tv_sec + 1;
      staged.Record.Nanoseconds = 0;
    }
  }
  if (::rename(staged.Temporary.c_str(), staged.Path.c_str()) != 0) {
    return Fail(failure, staged.Path + ": cannot replace: " + Reason(errno));
  }
  staged.Renamed = true;
  return true;
}

// Writes every changed page under its temporary name, brings them all to disk at once, then
// renames them over the old files in one short run: one flush instead of one per file, and an
// inserter sees the new pages arrive together.
bool ReplacePageFiles(const std::string& folder, const std::vector<TChange>& files,
                      std::vector<TStagedFile>& staged, std::string* failure) {
  staged.assign(files.size(), TStagedFile{});
  const auto removeStaged = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) ::unlink(staged[i].Temporary.c_str());
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!StagePageFile(folder, files[i], staged[i], failure)) {
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
  const auto failed = [&](const std::string& message) {
    if (report != nullptr) *report = done;
    return Fail(failure, message);
  };
  try {
    if (std::string problem = PageFolderProblem(folder); !problem.empty()) return failed(problem);
    std::set<std::string> names;
    for (const TFolderPageFile& file : files) {
      if (!IsPageFileName(file.Name)) {
        return failed(Joined(folder, file.Name) + ": not a page file name");
      }
      names.insert(file.Name);
    }
    const std::string canonical = CanonicalFolder(folder);
    TManifest recorded = ReadManifest(manifestPath);
    // Whether the manifest on disk lags behind what is known now.
    bool manifestStale = false;
    if (recorded.Folder != canonical) {
      recorded = TManifest{canonical, {}};
      manifestStale = true;
    }

    // One listing of the folder instead of a lookup per page.
    TFileDescriptor folderHandle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderHandle.Get() < 0) return failed(folder + ": cannot be read: " + Reason(errno));
    std::set<std::string> present;
    {
      std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), ::closedir);
      if (!listing) return failed(folder + ": cannot be listed: " + Reason(errno));
      errno = 0;
      while (const dirent* entry = ::readdir(listing.get())) {
        if (entry->d_name[0] != '.') present.insert(entry->d_name);
      }
      if (errno != 0) return failed(folder + ": cannot be listed: " + Reason(errno));
    }
    // A file of the new names that Tavrel did not publish belongs to someone else.
    for (const std::string& name : names) {
      if (present.contains(name) && !recorded.Files.contains(name)) {
        return failed(Joined(folder, name) +
                      ": a file Tavrel did not publish is in the way; move it away to put this "
                      "page on air");
      }
    }
    // First the union, so that a publication broken off after a rename still knows the file
    // it wrote, and one broken off before a removal still knows the file to remove.
    TManifest widened = recorded;
    for (const std::string& name : names) widened.Files.try_emplace(name);
    if (widened.Files.size() != recorded.Files.size() || manifestStale) {
      ReplaceFileAtomically(manifestPath, ManifestText(widened), kManifestMode);
      manifestStale = false;
    }

    std::vector<TChange> changed;
    for (const TFolderPageFile& file : files) {
      TFileRecord& record = widened.Files[file.Name];
      struct stat info {};
      if (present.contains(file.Name) &&
          ::fstatat(folderHandle.Get(), file.Name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(info.st_mode)) {
          return failed(Joined(folder, file.Name) + ": not a regular file; it is left as it is");
        }
        const std::uint64_t digest = DigestOf(file.Bytes);
        if (record.Matches(info) && record.Digest == digest) {
          ++done.Unchanged;
          continue;
        }
        if (HoldsBytes(Joined(folder, file.Name), file.Bytes)) {
          record = RecordOf(info, digest);
          manifestStale = true;
          ++done.Unchanged;
          continue;
        }
        changed.push_back({&file, info.st_mtim});
        continue;
      }
      changed.push_back({&file, std::nullopt});
    }
    std::vector<TStagedFile> staged;
    const bool replaced = ReplacePageFiles(folder, changed, staged, failure);
    // Even a publication broken off keeps the states of the files it renamed: the next one
    // then need not read them again.
    for (const TStagedFile& file : staged) {
      if (file.Renamed) {
        widened.Files[file.Name] = file.Record;
        manifestStale = true;
      }
    }
    if (!replaced) {
      if (manifestStale) ReplaceFileAtomically(manifestPath, ManifestText(widened), kManifestMode);
      if (report != nullptr) *report = done;
      return false;
    }
    done.Written = static_cast<int>(changed.size());
    for (auto it = widened.Files.begin(); it != widened.Files.end();) {
      if (names.contains(it->first)) {
        ++it;
        continue;
      }
      const std::string path = Joined(folder, it->first);
      // A temporary file left by a publication broken off before its rename goes too.
      ::unlink(Joined(folder, PageFolderTemporaryName(it->first)).c_str());
      if (::unlink(path.c_str()) == 0) {
        ++done.Removed;
      } else if (errno != ENOENT) {
        const int error = errno;
        ReplaceFileAtomically(manifestPath, ManifestText(widened), kManifestMode);
        return failed(path + ": cannot remove: " + Reason(error));
      }
      it = widened.Files.erase(it);
      manifestStale = true;
    }
    if (done.Written > 0 || done.Removed > 0) ::fsync(folderHandle.Get());
    if (manifestStale) ReplaceFileAtomically(manifestPath, ManifestText(widened), kManifestMode);
  } catch (const std::exception& error) {
    return failed(error.what());
  }
  if (report != nullptr) *report = done;
  return true;
}

}  // namespace tavrel

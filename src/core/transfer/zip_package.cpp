#include "transfer/zip_package.h"

#include <sys/stat.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>
#include <vector>

#include "support/error.h"

namespace tavrel {

namespace fs = std::filesystem;

namespace {

struct ZipArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipArchiveCloser>;

// One file to pack: where it lies and the name it gets inside the archive.
struct Member {
  fs::path Source;
  std::string Name;
};

std::string LibzipMessage(zip_error_t* error) { return zip_error_strerror(error); }

// Why members are compressed here and not by libzip: libzip sets up a fresh deflate stream for
// every member and frees it again when the member is written. That is about 300 KiB of heap
// per member; glibc grows the heap for it with brk and, because the freed block sits at the
// top of the heap and exceeds the trim threshold, gives it back to the kernel at once. The next
// member faults the same pages in again, zero-filled, and deflate's hash-table clear touches
// them all, so a folder of small pages spent most of its time in page faults and brk calls.
// One deflate stream, reset between members, keeps its memory for the whole archive; libzip
// then copies the finished raw deflate data as it stands, because the source declares it
// already compressed.
class MemberDeflater {
 public:
  MemberDeflater() {
    stream_ = {};
    if (deflateInit2(&stream_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
      throw Error("cannot set up deflate compression");
    }
    input_.resize(64 * 1024);
  }
  MemberDeflater(const MemberDeflater&) = delete;
  MemberDeflater& operator=(const MemberDeflater&) = delete;
  ~MemberDeflater() { deflateEnd(&stream_); }

  // Compresses the whole file into out (raw deflate) and gives its size and CRC-32. Answers
  // false with errno set when the file cannot be read.
  bool CompressFile(const fs::path& path, std::string& out, zip_uint64_t& size, uLong& crc) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) return false;
    deflateReset(&stream_);
    out.clear();
    size = 0;
    crc = crc32(0, nullptr, 0);
    int flush = Z_NO_FLUSH;
    do {
      const size_t got = std::fread(input_.data(), 1, input_.size(), file.get());
      if (got < input_.size()) {
        if (std::ferror(file.get())) return false;
        flush = Z_FINISH;
      }
      size += got;
      crc = crc32(crc, reinterpret_cast<const Bytef*>(input_.data()), static_cast<uInt>(got));
      stream_.next_in = reinterpret_cast<Bytef*>(input_.data());
      stream_.avail_in = static_cast<uInt>(got);
      int result = Z_OK;
      do {
        const size_t used = out.size();
        out.resize(used + deflateBound(&stream_, stream_.avail_in) + 64);
        stream_.next_out = reinterpret_cast<Bytef*>(out.data() + used);
        stream_.avail_out = static_cast<uInt>(out.size() - used);
        result = deflate(&stream_, flush);
        out.resize(out.size() - stream_.avail_out);
      } while (stream_.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
    } while (flush != Z_FINISH);
    return true;
  }

 private:
  z_stream stream_;
  std::vector<char> input_;
};

// Set by a member source when its file cannot be read, so that the error names the file.
struct PackContext {
  MemberDeflater Deflater;
  fs::path FailedMember;
};

// A libzip source that hands over one member file already deflated. The data is made when
// libzip first asks about the member and dropped when libzip has copied it, so only one
// member's compressed data is held at a time.
class DeflatedFileSource {
 public:
  DeflatedFileSource(PackContext& context, fs::path path)
      : context_(context), path_(std::move(path)) {
    zip_error_init(&error_);
  }
  ~DeflatedFileSource() { zip_error_fini(&error_); }

  static zip_int64_t Callback(void* self, void* data, zip_uint64_t length,
                              zip_source_cmd_t command) {
    return static_cast<DeflatedFileSource*>(self)->Handle(data, length, command);
  }

 private:
  zip_int64_t Handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
    switch (command) {
      case ZIP_SOURCE_STAT: {
        if (!prepared_ && !Compress()) return -1;
        auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error_);
        if (stat == nullptr) return -1;
        zip_stat_init(stat);
        stat->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD |
                      ZIP_STAT_MTIME | ZIP_STAT_ENCRYPTION_METHOD;
        stat->size = size_;
        stat->comp_size = compressed_.size();
        stat->crc = static_cast<zip_uint32_t>(crc_);
        stat->comp_method = ZIP_CM_DEFLATE;
        stat->encryption_method = ZIP_EM_NONE;
        stat->mtime = modified_;
        return sizeof(zip_stat_t);
      }
      case ZIP_SOURCE_OPEN:
        if ((!prepared_ || closed_) && !Compress()) return -1;
        position_ = 0;
        return 0;
      case ZIP_SOURCE_READ: {
        const size_t count =
            static_cast<size_t>(std::min<zip_uint64_t>(length, compressed_.size() - position_));
        std::memcpy(data, compressed_.data() + position_, count);
        position_ += count;
        return static_cast<zip_int64_t>(count);
      }
      case ZIP_SOURCE_CLOSE:
        // The member is written; its compressed data is not needed again. A later stat is
        // answered from the figures kept.
        std::string().swap(compressed_);
        closed_ = true;
        return 0;
      case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&error_, data, length);
      case ZIP_SOURCE_FREE:
        delete this;
        return 0;
      case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_READABLE;
      default:
        zip_error_set(&error_, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
  }

  bool Compress() {
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0 ||
        !context_.Deflater.CompressFile(path_, compressed_, size_, crc_)) {
      zip_error_set(&error_, ZIP_ER_READ, errno);
      context_.FailedMember = path_;
      return false;
    }
    modified_ = info.st_mtime;
    prepared_ = true;
    closed_ = false;
    return true;
  }

  PackContext& context_;
  fs::path path_;
  zip_error_t error_;
  std::string compressed_;
  zip_uint64_t size_ = 0;
  uLong crc_ = 0;
  time_t modified_ = 0;
  size_t position_ = 0;
  bool prepared_ = false;
  bool closed_ = false;
};

// Every regular file under folder (recursively when asked), in name order so that two runs over
// the same folder give the same archive.
std::vector<Member> CollectMembers(const fs::path& folder, bool recurse, const fs::path& archive) {
  std::error_code code;
  if (!fs::is_directory(folder, code)) {
    throw FileError(folder.string(), "folder to pack not found");
  }
  std::vector<Member> members;
  const auto addIfFile = [&](const fs::directory_entry& entry) {
    std::error_code statCode;
    if (!entry.is_regular_file(statCode)) return;
    if (entry.path().filename() == archive.filename() &&
        fs::equivalent(entry.path(), archive, statCode)) {
      return;
    }
    members.push_back({entry.path(), entry.path().lexically_relative(folder).generic_string()});
  };
  if (recurse) {
    fs::recursive_directory_iterator it(folder, code);
    if (code) throw FileError(folder.string(), "cannot list folder: " + code.message());
    for (const auto& entry : it) addIfFile(entry);
  } else {
    fs::directory_iterator it(folder, code);
    if (code) throw FileError(folder.string(), "cannot list folder: " + code.message());
    for (const auto& entry : it) addIfFile(entry);
  }
  std::sort(members.begin(), members.end(),
            [](const Member& a, const Member& b) { return a.Name < b.Name; });
  return members;
}

// libzip writes nothing for an archive without members, but a caller asked for an archive and
// a receiving server expects one, so the empty case gets the bare end-of-central-directory
// record that every zip reader accepts as an empty archive.
void WriteEmptyArchive(const fs::path& archive) {
  static constexpr char kEmptyZip[22] = {'P', 'K', 5, 6};
  std::ofstream out(archive, std::ios::binary | std::ios::trunc);
  out.write(kEmptyZip, sizeof kEmptyZip);
  out.close();
  if (!out) {
    std::error_code code;
    fs::remove(archive, code);
    throw FileError(archive.string(), "cannot write archive");
  }
}

}  // namespace

void TZipUnzip::Zip() const {
  const fs::path archive(ZipFileName);
  std::error_code code;
  fs::remove(archive, code);
  if (code) throw FileError(ZipFileName, "cannot delete old archive: " + code.message());

  const std::vector<Member> members =
      CollectMembers(fs::path(SourceFolder), RecurseFolders, archive);
  if (members.empty()) {
    WriteEmptyArchive(archive);
    return;
  }

  PackContext context;
  int openCode = 0;
  ZipArchive zip(zip_open(ZipFileName.c_str(), ZIP_CREATE | ZIP_EXCL, &openCode));
  if (!zip) {
    zip_error_t error;
    zip_error_init_with_code(&error, openCode);
    const std::string message = LibzipMessage(&error);
    zip_error_fini(&error);
    throw FileError(ZipFileName, "cannot create archive: " + message);
  }
  for (const Member& member : members) {
    auto* state = new DeflatedFileSource(context, member.Source);
    zip_source_t* source = zip_source_function(zip.get(), &DeflatedFileSource::Callback, state);
    if (source == nullptr) {
      delete state;
      throw FileError(member.Source.string(),
                      "cannot add to archive: " + LibzipMessage(zip_get_error(zip.get())));
    }
    if (zip_file_add(zip.get(), member.Name.c_str(), source, ZIP_FL_ENC_GUESS) < 0) {
      zip_source_free(source);
      throw FileError(member.Source.string(),
                      "cannot add to archive: " + LibzipMessage(zip_get_error(zip.get())));
    }
  }
  if (zip_close(zip.get()) != 0) {
    if (!context.FailedMember.empty()) {
      throw FileError(context.FailedMember.string(),
                      "cannot read file to pack: " + LibzipMessage(zip_get_error(zip.get())));
    }
    throw FileError(ZipFileName,
                    "cannot write archive: " + LibzipMessage(zip_get_error(zip.get())));
  }
  zip.release();  // zip_close freed it
}

void ZipFolder(const std::string& folder, const std::string& archivePath) {
  TZipUnzip zipper;
  zipper.RecurseFolders = false;
  zipper.SourceFolder = folder;
  zipper.ZipFileName = archivePath;
  zipper.Zip();
}

}  // namespace tavrel

#include "transfer/feed_fetch.h"

#include <curl/curl.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>

#include "support/error.h"
#include "support/file_utils.h"
#include "transfer/transfer_failure_words.h"

namespace tavrel {

namespace fs = std::filesystem;

namespace {

// Time limits of a feed download: a server that does not answer or stalls must never hold up
// a scan for long.
constexpr long kConnectTimeoutSeconds = 30;
constexpr long kStallSeconds = 60;  // less than one byte per second for this long
constexpr long kWholeTransferSeconds = 300;

constexpr mode_t kFeedFileMode = 0644;

struct CurlCleanup {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlCleanup>;

struct BodyBuffer {
  std::string Data;
  bool TooLarge = false;
  const TFetchControl* Control = nullptr;
  bool Cancelled = false;
};

size_t AppendBody(char* data, size_t size, size_t count, void* userData) {
  auto* body = static_cast<BodyBuffer*>(userData);
  const size_t length = size * count;
  if (length > kMaxFeedBytes - body->Data.size()) {
    body->TooLarge = true;
    return 0;  // makes libcurl stop with a write error
  }
  body->Data.append(data, length);
  return length;
}

int OnDownloadProgress(void* userData, curl_off_t total, curl_off_t received, curl_off_t,
                       curl_off_t) {
  auto* body = static_cast<BodyBuffer*>(userData);
  if (body->Control->Stop.stop_requested()) {
    body->Cancelled = true;
    return 1;  // makes libcurl stop with CURLE_ABORTED_BY_CALLBACK
  }
  if (body->Control->Progress) {
    try {
      body->Control->Progress(received, total);
    } catch (...) {
      // An exception must not cross the client library; a broken progress view ends the
      // download like a cancel.
      body->Cancelled = true;
      return 1;
    }
  }
  return 0;
}

bool Fail(std::string* failure, const std::string& message) {
  if (failure != nullptr) *failure = message;
  return false;
}

// A byte order mark of UTF-16 (either order; UTF-32 LE starts the same way).
bool HasUtf16ByteOrderMark(std::string_view body) {
  return body.size() >= 2 &&
         ((body[0] == '\xFF' && body[1] == '\xFE') || (body[0] == '\xFE' && body[1] == '\xFF'));
}

}  // namespace

std::string ToCrLfLines(std::string_view body) {
  std::string text;
  text.reserve(body.size() + body.size() / 32 + 2);
  size_t lineStart = 0;
  size_t i = 0;
  while (i < body.size()) {
    const char c = body[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    text.append(body.substr(lineStart, i - lineStart));
    text += "\r\n";
    i += (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n') ? 2 : 1;
    lineStart = i;
  }
  if (lineStart < body.size()) {
    text.append(body.substr(lineStart));
    text += "\r\n";
  }
  return text;
}

bool DownloadXmlFile(const std::string& url, const std::string& folder, std::string* failure,
                     const TFetchControl& control) {
  if (control.Stop.stop_requested()) return Fail(failure, url + ": download cancelled");
  CurlHandle curl(curl_easy_init());
  if (!curl) return Fail(failure, url + ": cannot set up the HTTP client");
  BodyBuffer body;
  body.Control = &control;
  char errorText[CURL_ERROR_SIZE] = {};
  CURL* handle = curl.get();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  // Only web addresses: a "file:" or other URL in the settings must not read local files.
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, kWholeTransferSeconds);
  curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxFeedBytes));
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &AppendBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &OnDownloadProgress);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &body);

  const CURLcode result = curl_easy_perform(handle);
  if (body.Cancelled) return Fail(failure, url + ": download cancelled");
  if (body.TooLarge || result == CURLE_FILESIZE_EXCEEDED)
    return Fail(failure, url + ": " + FeedTooLargeText());
  if (result != CURLE_OK) {
    return Fail(failure, url + ": " +
                             TransferFailureText(
                                 result, TTransferStage::FeedDownload,
                                 errorText[0] != 0 ? errorText : curl_easy_strerror(result)));
  }
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  if (status >= 300 && status < 400) {
    return Fail(failure,
                url + ": redirect (HTTP status " + std::to_string(status) + ") not followed");
  }
  if (status < 200 || status >= 300) {
    return Fail(failure, url + ": HTTP status " + std::to_string(status));
  }
  if (body.Data.empty()) return Fail(failure, url + ": empty response");

  const std::string text =
      HasUtf16ByteOrderMark(body.Data) ? std::move(body.Data) : ToCrLfLines(body.Data);
  const std::string target = folder + kDownloadedFeedName;
  try {
    ReplaceFileAtomically(target, text, kFeedFileMode);
  } catch (const Error& error) {
    return Fail(failure, error.what());
  }
  return true;
}

namespace {

// Whether path lies directly in folder (both may be relative or hold "..").
bool LiesDirectlyIn(const std::string& path, const std::string& folder) {
  const auto canonicalFolder = [](fs::path p) {
    p = fs::absolute(p).lexically_normal();
    if (!p.has_filename()) p = p.parent_path();  // a trailing '/'
    std::error_code code;
    fs::path canonical = fs::weakly_canonical(p, code);
    return code ? p : canonical;
  };
  return canonicalFolder(fs::path(path).parent_path()) == canonicalFolder(folder);
}

// What tells one state of a file from the next: a rewrite in place changes the size or the
// times, a replacement through a rename the file itself.
struct TFileStamp {
  dev_t Device = 0;
  ino_t Inode = 0;
  off_t Size = 0;
  timespec Modified{};
  timespec Changed{};
};

std::optional<TFileStamp> StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return TFileStamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

bool SameStamp(const std::optional<TFileStamp>& a, const std::optional<TFileStamp>& b) {
  auto same = [](const timespec& x, const timespec& y) {
    return x.tv_sec == y.tv_sec && x.tv_nsec == y.tv_nsec;
  };
  return a && b && a->Device == b->Device && a->Inode == b->Inode && a->Size == b->Size &&
         same(a->Modified, b->Modified) && same(a->Changed, b->Changed);
}

}  // namespace

bool ReadSettledFile(const std::string& path, std::string& bytes, std::string* failure) {
  for (int attempt = 0; attempt < kSettledReadAttempts; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(kSettledReadPause);
    const std::optional<TFileStamp> before = StampOf(path);
    try {
      bytes = ReadFileBytes(path, kMaxFeedBytes);
    } catch (const Error& error) {
      // Read again when the file changed under the read: it may have been replaced.
      if (SameStamp(before, StampOf(path))) return Fail(failure, error.what());
      continue;
    }
    const std::optional<TFileStamp> after = StampOf(path);
    if (SameStamp(before, after) && static_cast<off_t>(bytes.size()) == after->Size) return true;
  }
  bytes.clear();
  return Fail(failure, path + ": the file kept changing while it was read");
}

bool GetXmlFile(const TFeedLocation& location, std::string* failure, const TFetchControl& control) {
  // The import folder is emptied below; a feed file kept in it would be deleted before it
  // could be copied, and the operator's only copy lost with it.
  if (!location.IsXMLWeb && !location.XMLFilePath.empty() &&
      LiesDirectlyIn(location.XMLFilePath, location.ImportDir)) {
    return Fail(failure, location.XMLFilePath +
                             ": the feed file must not lie in the import folder, which is "
                             "emptied on every fetch");
  }
  DeleteFilesByMask(location.ImportDir + "*.*");
  if (location.IsXMLWeb) {
    return DownloadXmlFile(location.XmlUrl, location.ImportDir, failure, control);
  }

  if (location.XMLFilePath.empty() || location.XmlFileName.empty()) {
    return Fail(failure, "no feed file is set");
  }
  std::error_code code;
  const fs::file_status status = fs::status(location.XMLFilePath, code);
  if (!fs::exists(status)) return Fail(failure, location.XMLFilePath + ": feed file not found");
  if (!fs::is_regular_file(status)) return Fail(failure, location.XMLFilePath + ": not a file");
  const auto size = fs::file_size(location.XMLFilePath, code);
  if (!code && size > kMaxFeedBytes)
    return Fail(failure, location.XMLFilePath + ": " + FeedTooLargeText());
  // Read whole and settled, not copied as it lies: a feed that its producer rewrites in place
  // while the scan reads it would give a copy that is cut short or part old, part new.
  std::string bytes;
  if (!ReadSettledFile(location.XMLFilePath, bytes, failure)) return false;
  const std::string target = location.ImportDir + location.XmlFileName;
  try {
    ReplaceFileAtomically(target, bytes, kFeedFileMode);
  } catch (const Error& error) {
    return Fail(failure, error.what());
  }
  return true;
}

bool XmlFileChanged(const TFeedLocation& location, std::string* failure,
                    const TFetchControl& control) {
  if (failure != nullptr) failure->clear();
  if (!GetXmlFile(location, failure, control)) return false;
  try {
    return !SameFileContent(location.ImportDir + location.XmlFileName,
                            location.HandledDir + location.XmlFileName);
  } catch (const Error& error) {
    return Fail(failure, error.what());
  }
}

void CommitHandledFeed(const TFeedLocation& location) {
  const std::string bytes = ReadFileBytes(location.ImportDir + location.XmlFileName, kMaxFeedBytes);
  ReplaceFileAtomically(location.HandledDir + location.XmlFileName, bytes, kFeedFileMode);
}

}  // namespace tavrel

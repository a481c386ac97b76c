#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

#include "support/feed_limits.h"

namespace tavrel {

// Where the feed comes from and where its two copies lie: the fetched copy in ImportDir and
// the copy last handled (sent to the server) in HandledDir. Folders end in '/'.
struct TFeedLocation {
  std::string ImportDir;
  std::string HandledDir;
  bool IsXMLWeb = false;
  std::string XmlUrl;
  std::string XMLFilePath;  // the local feed file, a relative setting resolved (ResolvePath)
  // "WebRSS.xml" for a web feed, else the file-name part of XMLFilePath.
  std::string XmlFileName;
};

// The name a downloaded feed is stored under.
inline constexpr const char* kDownloadedFeedName = "WebRSS.xml";
// The body as text lines each ending in CR LF. CR, LF and the pair CR LF each end a line; a
// last line without a break gets one. Every other byte, zero bytes included, is kept.
std::string ToCrLfLines(std::string_view body);

// What the caller of a fetch may see and do while it runs, from any thread: Progress is called
// on the fetching thread with the bytes received so far and the total announced by the server
// (0 when unknown); a stop requested through Stop ends the download as soon as the client
// library next reports progress (within a second), and the fetch answers false.
struct TFetchControl {
  std::stop_token Stop;
  std::function<void(std::int64_t received, std::int64_t total)> Progress;
};

// HTTP GET of url without following redirects; the body is stored as folder + "WebRSS.xml"
// with its line breaks made CR LF (a body with a UTF-16 byte order mark is stored byte for
// byte, as rewriting its breaks would corrupt it). Answers whether the file was written; an
// error status, a redirect, an empty or oversized body, a network failure or time-out answer
// false and, when failure is given, a message naming the URL or file and what went wrong.
// Never throws.
bool DownloadXmlFile(const std::string& url, const std::string& folder,
                     std::string* failure = nullptr, const TFetchControl& control = {});

// How often ReadSettledFile reads a file that changes under it, and the pause between reads.
inline constexpr int kSettledReadAttempts = 5;
inline constexpr std::chrono::milliseconds kSettledReadPause{50};

// Reads the whole file at path (at most kMaxFeedBytes) into bytes, making sure it did not
// change while it was read: its identity, size and times are the same before and after the
// read, else it is read again, up to kSettledReadAttempts times kSettledReadPause apart.
// Answers false, with failure naming the file and what went wrong, when it cannot be read or
// never stayed still for a read. A writer that pauses between two writes for the whole of a
// read is not seen: what it left then is read as the file's content.
bool ReadSettledFile(const std::string& path, std::string& bytes, std::string* failure = nullptr);

// Empties ImportDir and fetches the feed into it: downloaded when IsXMLWeb, else copied from
// XMLFilePath. Answers whether ImportDir + XmlFileName now holds the feed; failure as above.
bool GetXmlFile(const TFeedLocation& location, std::string* failure = nullptr,
                const TFetchControl& control = {});

// Fetches the feed and answers whether it differs from the handled copy (a missing handled
// copy counts as a difference). The handled copy is left as it is: the caller makes the feed
// handled with CommitHandledFeed once the update made from it was stored completely, so that a
// change that could not be sent is found again by the next check. Answers false when the feed
// cannot be fetched, with failure set; failure stays empty when the feed is merely unchanged.
bool XmlFileChanged(const TFeedLocation& location, std::string* failure = nullptr,
                    const TFetchControl& control = {});

// Makes the fetched feed (ImportDir + XmlFileName) the handled copy, replacing the old one
// atomically. Throws tavrel::Error naming the file on failure.
void CommitHandledFeed(const TFeedLocation& location);

}  // namespace tavrel

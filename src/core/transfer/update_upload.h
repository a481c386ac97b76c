#pragma once

#include <stop_token>
#include <string>

#include "transfer/media_server.h"

namespace tavrel {

class TFileProgressView;

// Where an update comes from and goes to: the export folder (with its trailing "/"), the
// server's account and the remote folder prefix.
struct TUpdateTarget {
  std::string ExportDir;
  TMediaServer Server;
  std::string TransferDir;
};

// Names of the update package in ExportDir and on the server. The server looks for the
// semaphore as "Update.sem" (its file names ignore case) and takes the archive once the
// semaphore has arrived.
inline constexpr const char* kUpdateArchiveName = "update.zip";
inline constexpr const char* kUpdateSemaphoreName = "update.sem";
inline constexpr const char* kBusySemaphoreMask = "Update.sem";
// The semaphore's one line.
inline constexpr const char* kUpdateSemaphoreText = "Update\r\n";

// The server folder that receives the updates: TransferDir followed directly by the FTP user
// and a backslash, exactly as written (the server is Windows; nothing is normalised).
std::string RemoteTransferFolder(const TMediaServer& server, const std::string& transferDir);

// Packs every file lying directly in ExportDir into ExportDir + "update.zip", writes the
// one-line "update.sem" beside it, stores the archive in the remote folder (with progress
// shown through progressView when given) and, only when that succeeded, stores the semaphore.
// Answers true only when both were stored; otherwise false, with failure (when given) naming
// what went wrong. A stop requested through stop (from any thread) breaks the archive off and
// keeps the semaphore back. Never throws.
bool UploadUpdate(const TUpdateTarget& target, TFileProgressView* progressView = nullptr,
                  std::string* failure = nullptr, std::stop_token stop = {});

// Whether the remote folder holds no "Update.sem", i.e. the server has taken the last update.
// A folder that cannot be listed counts as free, as the server's own folder may not exist yet.
bool ServerIsFree(const TMediaServer& server, const std::string& transferDir);

// Whether a connection and login to the server succeed; failure (when given) says why not, in
// the client library's words, or "login failed".
bool TestServerConnection(const TMediaServer& server, std::string* failure = nullptr);

}  // namespace tavrel

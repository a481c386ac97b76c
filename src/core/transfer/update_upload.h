#pragma once

#include <string>

namespace tavrel {

class TRIGlobals;
class TFileProgressView;

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
std::string RemoteTransferFolder(const TRIGlobals& globals);

// Packs every file lying directly in ExportDir into ExportDir + "update.zip", writes the
// one-line "update.sem" beside it, stores the archive in the remote folder (with progress
// shown through progressView when given) and, only when that succeeded, stores the semaphore.
// Answers true only when both were stored; otherwise false, with failure (when given) naming
// what went wrong. Never throws.
bool UploadUpdate(const TRIGlobals& globals, TFileProgressView* progressView = nullptr,
                  std::string* failure = nullptr);

// Whether the remote folder holds no "Update.sem", i.e. the server has taken the last update.
// A folder that cannot be listed counts as free, as the server's own folder may not exist yet.
bool ServerIsFree(const TRIGlobals& globals);

// Whether a connection and login to the server succeed.
bool TestServerConnection(const TRIGlobals& globals);

}  // namespace tavrel

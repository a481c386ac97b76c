#pragma once

#include <stop_token>
#include <string>

namespace tavrel {

class TRIGlobals;
class TFileProgressView;

// The one place that knows the two places pages can go: the transmission server by FTP
// (update.zip and update.sem) and the page folder of an open inserter (one TTI file per page,
// see PublishToFolder). Upload, the scan's operations and the commands ask here, so that both
// targets follow the same rules.

// The manifest of the page files Tavrel published to the page folder, in HandledDir.
inline constexpr const char* kFolderManifestFileName = "FolderPages.txt";

// TargetFolder resolved from the home (TRIGlobals::ResolvePath).
std::string TargetFolderPath(const TRIGlobals& settings);

// Why the configured target cannot be reached now, for `check` and the "Connection failed"
// status: an unknown Target, or a page folder that is not set, missing, not a folder or not
// writable. Empty when the server is the target (its login is tried by
// TestTargetConnection) or the folder can take pages.
std::string TargetFolderProblem(const TRIGlobals& settings);

// Whether the target can be reached: the server's login, or the page folder's state. failure
// (when given) says why not. Never throws.
bool TestTargetConnection(const TRIGlobals& settings, std::string* failure = nullptr);

// Whether the target can take an update now: the server has taken the last one (no
// "Update.sem"); a page folder always can.
bool TargetIsFree(const TRIGlobals& settings);

// Sends the pages in ExportDir to the target: the update package to the server, or every page
// as a TTI file into the page folder. Answers true only when the target holds the whole update;
// otherwise false with failure naming what went wrong. Never throws.
bool PublishUpdate(const TRIGlobals& settings, TFileProgressView* progressView = nullptr,
                   std::string* failure = nullptr, std::stop_token stop = {});

// The target as a status line names it, in the program's Windows-1252 text:
// "server HOST:PORT FOLDER\" or "page folder PATH".
std::string TargetDescription(const TRIGlobals& settings);

}  // namespace tavrel

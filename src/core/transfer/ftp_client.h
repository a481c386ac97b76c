#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "transfer/ftp_validation.h"
#include "transfer/media_server.h"
#include "transfer/transfer_progress.h"

namespace tavrel {

// The time limits of every FTP operation, chosen here and nowhere else. Without them an
// unreachable or hung transmission server would hold a scan for as long as the network stack
// cares to wait.
struct TFtpTimeLimits {
  // Opening a connection: the control connection, and in active mode the server's data
  // connection back to us.
  std::chrono::milliseconds Connect{15000};
  // No byte moved and no reply received for this long gives the operation up.
  std::chrono::milliseconds Stall{30000};
};

inline constexpr TFtpTimeLimits kFtpTimeLimits{};

// The system's only FTP client: one server's settings, one control connection and the state
// of one upload. Callers use it for one operation and drop it (the one-shot functions below
// do exactly that), so every operation logs in on a connection of its own. No method throws;
// every failure answers false.
class TPFTP {
 public:
  TPFTP();
  ~TPFTP();
  TPFTP(const TPFTP&) = delete;
  TPFTP& operator=(const TPFTP&) = delete;

  // Connection settings, copied from the caller.
  TMediaServer Server;
  // Show the progress model through ProgressView during an upload.
  bool ShowProgress = false;
  // Release the progress view as soon as the upload ends; when false the finished dialog
  // waits for the operator.
  bool AutoClose = true;
  // Pass failures of Connect and ChangeToRemoteDir to ErrorSink.
  bool ShowErrors = false;
  TErrorSink ErrorSink;
  // Shows the progress model while ShowProgress is set; not owned. Without a view the model
  // is still kept, there is only nothing to show it.
  TFileProgressView* ProgressView = nullptr;
  TFtpTimeLimits TimeLimits = kFtpTimeLimits;
  // A stop requested through this token (from any thread) cancels the running transfer, as
  // Cancel does.
  std::stop_token StopToken;
  // The folder on the server that must be current for a transfer; PutFile sets it.
  std::string RemoteFolder;

  // Opens the control connection, logs in (the user name followed by "," and the proxy text
  // when the proxy is in use) and sets binary type. Does nothing more when connected.
  bool Connect();
  // Makes RemoteFolder current ("/" when empty), unless the server's current folder already
  // is the same folder up to separators and letter case.
  bool ChangeToRemoteDir();
  // Stores a local file under its own name in remoteFolder.
  bool PutFile(const std::string& localPath, const std::string& remoteFolder);
  // Whether the server, after changing to folder, reports that same folder as current.
  bool RemoteDirExists(const std::string& folder);
  // Whether the name list of mask in folder holds at least one name.
  bool RemoteFileExists(const std::string& mask, const std::string& folder);
  // Passes message to ErrorSink when ShowErrors is set.
  void ReportError(const std::string& message);

  // Two folder paths name the same folder when they are equal after every "/" and "\" and
  // surrounding blanks are removed, ignoring letter case.
  static bool SameDir(const std::string& a, const std::string& b);

  // Cancels the running transfer; the progress model's Cancel button calls it. Safe from any
  // thread: the transfer sees it the next time the client library reports progress.
  void Cancel();

  // State of the last upload.
  const std::string& FileName() const { return fileName_; }
  const std::string& LocalFolder() const { return localFolder_; }
  std::int64_t FileSize() const { return fileSize_; }
  TTransferDirection Direction() const { return direction_; }
  bool Connected() const { return connected_; }
  // Why the last operation failed, for logs and the command line: the client library's error
  // and the server's last reply. Empty after a success.
  const std::string& LastError() const { return lastError_; }

 private:
  struct Transfer;
  bool Perform(Transfer& transfer);
  bool RunCommands(const std::vector<std::string>& commands, std::string* currentFolder);
  bool Store(const std::string& localPath);
  void CloseProgress();
  bool CancelRequested() const { return cancelRequested_ || StopToken.stop_requested(); }

  struct CurlHandle;
  std::unique_ptr<CurlHandle> curl_;
  std::unique_ptr<TPFileProgress> progress_;
  bool connected_ = false;
  std::atomic<bool> cancelRequested_ = false;
  std::string fileName_;
  std::string localFolder_;
  std::int64_t fileSize_ = -1;
  TTransferDirection direction_ = TTransferDirection::Upload;
  std::string lastError_;
};

// Uploads one file on a connection of its own; failures are never shown.
bool FtpPutFile(const TMediaServer& server, const std::string& localPath,
                const std::string& remoteFolder, bool showProgress, bool autoClose,
                TFileProgressView* view = nullptr);
// Connects and logs in on a connection of its own. A stop requested through stop ends the
// attempt within a moment, as Cancel does.
bool FtpTestConnection(const TMediaServer& server, bool showErrors, const TErrorSink& sink = {},
                       std::stop_token stop = {});
// Whether folder exists on the server, on a connection of its own; stop as above.
bool FtpDirExists(const TMediaServer& server, const std::string& folder, bool showErrors,
                  const TErrorSink& sink = {}, std::stop_token stop = {});
// Whether the name list of mask in folder is not empty; failures count as empty.
bool FtpFileExists(const TMediaServer& server, const std::string& mask, const std::string& folder);

}  // namespace tavrel

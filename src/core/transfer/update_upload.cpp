#include "transfer/update_upload.h"

#include <filesystem>
#include <system_error>

#include "support/error.h"
#include "support/file_utils.h"
#include "transfer/ftp_client.h"
#include "transfer/zip_package.h"

namespace tavrel {

namespace fs = std::filesystem;

namespace {

constexpr mode_t kPackageFileMode = 0644;

bool Fail(std::string* failure, const std::string& message) {
  if (failure != nullptr) *failure = message;
  return false;
}

// Stores one file in the remote folder on a connection of its own.
bool StoreFile(const TUpdateTarget& target, const std::string& localPath,
               TFileProgressView* progressView, std::string* failure, std::stop_token stop) {
  TPFTP ftp;
  ftp.Server = target.Server;
  ftp.StopToken = stop;
  ftp.ShowProgress = progressView != nullptr;
  ftp.ProgressView = progressView;
  ftp.AutoClose = true;
  ftp.ShowErrors = false;
  if (ftp.PutFile(localPath, RemoteTransferFolder(target.Server, target.TransferDir))) {
    return true;
  }
  const std::string name = fs::path(localPath).filename().string();
  if (stop.stop_requested()) return Fail(failure, name + " not stored: the upload was cancelled");
  return Fail(failure, name + " not stored on " + target.Server.FTPHost + ": " +
                           (ftp.LastError().empty() ? "transfer failed" : ftp.LastError()));
}

}  // namespace

std::string RemoteTransferFolder(const TMediaServer& server, const std::string& transferDir) {
  return transferDir + server.FTPUser + "\\";
}

bool UploadUpdate(const TUpdateTarget& target, TFileProgressView* progressView,
                  std::string* failure, std::stop_token stop) {
  const std::string archive = target.ExportDir + kUpdateArchiveName;
  const std::string semaphore = target.ExportDir + kUpdateSemaphoreName;
  // A semaphore left from an earlier run would otherwise be packed into the new archive.
  std::error_code code;
  fs::remove(semaphore, code);
  if (code) return Fail(failure, semaphore + ": cannot delete old semaphore: " + code.message());
  try {
    ZipFolder(target.ExportDir, archive);
    // Written before anything is sent, so that a folder we cannot write to stops the upload
    // before the server holds an archive that no semaphore will follow.
    ReplaceFileAtomically(semaphore, kUpdateSemaphoreText, kPackageFileMode);
  } catch (const Error& error) {
    return Fail(failure, error.what());
  }
  // The semaphore tells the server that the update is complete, so it goes only after the
  // whole archive was stored.
  if (!StoreFile(target, archive, progressView, failure, stop)) return false;
  // A cancel that arrives once the archive is stored still keeps the semaphore back: the server
  // then never takes this update, and the next one replaces the archive.
  if (stop.stop_requested()) {
    return Fail(failure,
                std::string(kUpdateSemaphoreName) + " not stored: the upload was cancelled");
  }
  return StoreFile(target, semaphore, nullptr, failure, stop);
}

bool ServerIsFree(const TMediaServer& server, const std::string& transferDir) {
  return !FtpFileExists(server, kBusySemaphoreMask, RemoteTransferFolder(server, transferDir));
}

bool TestServerConnection(const TMediaServer& server, std::string* failure) {
  try {
    TPFTP ftp;
    ftp.Server = server;
    if (ftp.Connect()) return true;
    return Fail(failure, ftp.LastError().empty() ? "login failed" : ftp.LastError());
  } catch (const std::exception& error) {
    return Fail(failure, error.what());
  }
}

}  // namespace tavrel

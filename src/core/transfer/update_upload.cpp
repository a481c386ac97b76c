#include "transfer/update_upload.h"

#include <filesystem>
#include <system_error>

#include "pipeline/settings_store.h"
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
bool StoreFile(const TRIGlobals& globals, const std::string& localPath,
               TFileProgressView* progressView, std::string* failure) {
  TPFTP ftp;
  ftp.Server = globals.Server;
  ftp.ShowProgress = progressView != nullptr;
  ftp.ProgressView = progressView;
  ftp.AutoClose = true;
  ftp.ShowErrors = false;
  if (ftp.PutFile(localPath, RemoteTransferFolder(globals))) return true;
  const std::string name = fs::path(localPath).filename().string();
  return Fail(failure, name + " not stored on " + globals.Server.FTPHost + ": " +
                           (ftp.LastError().empty() ? "transfer failed" : ftp.LastError()));
}

}  // namespace

std::string RemoteTransferFolder(const TRIGlobals& globals) {
  return globals.TransferDir + globals.Server.FTPUser + "\\";
}

bool UploadUpdate(const TRIGlobals& globals, TFileProgressView* progressView,
                  std::string* failure) {
  const std::string archive = globals.ExportDir + kUpdateArchiveName;
  const std::string semaphore = globals.ExportDir + kUpdateSemaphoreName;
  // A semaphore left from an earlier run would otherwise be packed into the new archive.
  std::error_code code;
  fs::remove(semaphore, code);
  if (code) return Fail(failure, semaphore + ": cannot delete old semaphore: " + code.message());
  try {
    ZipFolder(globals.ExportDir, archive);
    // Written before anything is sent, so that a folder we cannot write to stops the upload
    // before the server holds an archive that no semaphore will follow.
    ReplaceFileAtomically(semaphore, kUpdateSemaphoreText, kPackageFileMode);
  } catch (const Error& error) {
    return Fail(failure, error.what());
  }
  // The semaphore tells the server that the update is complete, so it goes only after the
  // whole archive was stored.
  return StoreFile(globals, archive, progressView, failure) &&
         StoreFile(globals, semaphore, nullptr, failure);
}

bool ServerIsFree(const TRIGlobals& globals) {
  return !FtpFileExists(globals.Server, kBusySemaphoreMask, RemoteTransferFolder(globals));
}

bool TestServerConnection(const TRIGlobals& globals) {
  return FtpTestConnection(globals.Server, false);
}

}  // namespace tavrel

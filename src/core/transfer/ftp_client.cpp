#include "transfer/ftp_client.h"

#include <curl/curl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <deque>

#include "support/file_utils.h"
#include "transfer/transfer_failure_words.h"
#include "transfer/transfer_texts.h"

namespace tavrel {

namespace {

// A listing longer than this is not read further: one name is all the busy test needs.
constexpr std::size_t kListingLimit = 1 << 20;
// Server replies kept for the error text; a chatty or hostile server cannot grow them.
constexpr std::size_t kReplyLinesKept = 32;
constexpr std::size_t kReplyLineLimit = 512;

struct CurlListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;

struct CurlUrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using CurlUrl = std::unique_ptr<CURLU, CurlUrlDeleter>;

// A command argument with a line break or a zero byte would let one field of the settings
// send commands of its own to the server.
bool HasLineBreak(const std::string& text) {
  return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

long WholeSeconds(std::chrono::milliseconds limit) {
  const auto seconds = (limit.count() + 999) / 1000;
  return static_cast<long>(std::max<long long>(seconds, 1));
}

// A time limit as an operator reads it: "30 s", or "1500 ms" when not whole seconds.
std::string DurationText(std::chrono::milliseconds limit) {
  if (limit.count() % 1000 == 0) return std::to_string(limit.count() / 1000) + " s";
  return std::to_string(limit.count()) + " ms";
}

// The folder named in a "257" reply: the text between the first quote and the next single
// quote, with doubled quotes standing for one.
bool ParseCurrentFolder(const std::string& reply, std::string* folder) {
  const auto open = reply.find('"');
  if (open == std::string::npos) return false;
  std::string result;
  for (std::size_t i = open + 1; i < reply.size(); ++i) {
    if (reply[i] != '"') {
      result += reply[i];
    } else if (i + 1 < reply.size() && reply[i + 1] == '"') {
      result += '"';
      ++i;
    } else {
      *folder = result;
      return true;
    }
  }
  return false;
}

// Folds a Windows-1252 letter to lower case, as the server's file system matches names:
// ASCII, the accented letters of 0xC0..0xDE (0xD7 is the multiplication sign) and the four
// capitals in 0x8A..0x9F.
unsigned char LowerCase1252(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  if (c == 0x8A || c == 0x8C || c == 0x8E) return c + 0x10;
  if (c == 0x9F) return 0xFF;
  return c;
}

std::string FolderPart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NamePart(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// The library's handle, and the sockets it has open through it. A connection remembers the
// close callback it was opened with, so the socket list lives as long as the handle: the
// handle is cleaned up first, in the destructor's body, while the list still exists.
struct TPFTP::CurlHandle {
  CURL* handle = curl_easy_init();
  std::vector<curl_socket_t> sockets;

  CurlHandle() = default;
  CurlHandle(const CurlHandle&) = delete;
  CurlHandle& operator=(const CurlHandle&) = delete;
  ~CurlHandle() {
    if (handle != nullptr) curl_easy_cleanup(handle);
  }

  static curl_socket_t OnOpenSocket(void* context, curlsocktype, curl_sockaddr* address) {
    auto& self = *static_cast<CurlHandle*>(context);
    const curl_socket_t socket =
        ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (socket == CURL_SOCKET_BAD) return socket;
    try {
      self.sockets.push_back(socket);
    } catch (...) {
      ::close(socket);
      return CURL_SOCKET_BAD;
    }
    return socket;
  }

  static int OnCloseSocket(void* context, curl_socket_t socket) {
    auto& self = *static_cast<CurlHandle*>(context);
    std::erase(self.sockets, socket);
    return ::close(socket);
  }

  // Ends every connection of the handle at once. Used when the server has stopped
  // responding: the library would otherwise still say goodbye on the control connection and
  // wait for the answer, a second full wait on a server known to be gone.
  void ShutDownSockets() const {
    for (const curl_socket_t socket : sockets) ::shutdown(socket, SHUT_RDWR);
  }
};

// One exchange with the server: commands sent first, then at most one transfer.
struct TPFTP::Transfer {
  enum class Kind { CommandsOnly, Upload, NameList };

  TPFTP* owner = nullptr;
  Kind kind = Kind::CommandsOnly;
  std::vector<std::string> commands;
  bool freshConnection = false;
  // Upload
  std::string remoteName;
  std::FILE* source = nullptr;
  curl_off_t sourceSize = 0;
  // Name list
  std::string listRequest;
  std::string listing;
  bool listingCut = false;
  // Replies and the stall watch
  std::deque<std::string> replies;
  std::size_t replyCount = 0;
  std::size_t lastReplyCount = 0;
  curl_off_t lastMoved = -1;
  std::chrono::steady_clock::time_point lastActivity = std::chrono::steady_clock::now();
  bool stalled = false;
  bool viewFailed = false;
  bool loggedIn = false;

  static size_t OnReply(char* data, size_t size, size_t count, void* context) {
    auto& transfer = *static_cast<Transfer*>(context);
    std::string line(data, std::min(size * count, kReplyLineLimit));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    // Every new control connection opens with a greeting and a login: seeing either means
    // the library did not carry on on the connection we had prepared.
    if (line.rfind("220", 0) == 0 || line.rfind("230", 0) == 0) transfer.loggedIn = true;
    transfer.replies.push_back(std::move(line));
    if (transfer.replies.size() > kReplyLinesKept) transfer.replies.pop_front();
    ++transfer.replyCount;
    return size * count;
  }

  static size_t OnRead(char* buffer, size_t size, size_t count, void* context) {
    auto& transfer = *static_cast<Transfer*>(context);
    const size_t read = std::fread(buffer, size, count, transfer.source);
    if (read == 0 && std::ferror(transfer.source)) return CURL_READFUNC_ABORT;
    return read;
  }

  static size_t OnListing(char* data, size_t size, size_t count, void* context) {
    auto& transfer = *static_cast<Transfer*>(context);
    const size_t bytes = size * count;
    if (transfer.listing.size() + bytes > kListingLimit) {
      transfer.listingCut = true;
      return 0;  // ends the listing; what we have already answers the question
    }
    transfer.listing.append(data, bytes);
    return bytes;
  }

  static int OnProgress(void* context, curl_off_t, curl_off_t downloaded, curl_off_t,
                        curl_off_t uploaded) {
    auto& transfer = *static_cast<Transfer*>(context);
    TPFTP& ftp = *transfer.owner;
    const auto now = std::chrono::steady_clock::now();
    const curl_off_t moved = downloaded + uploaded;
    if (moved != transfer.lastMoved || transfer.replyCount != transfer.lastReplyCount) {
      transfer.lastMoved = moved;
      transfer.lastReplyCount = transfer.replyCount;
      transfer.lastActivity = now;
    } else if (now - transfer.lastActivity > ftp.TimeLimits.Stall) {
      transfer.stalled = true;
      ftp.curl_->ShutDownSockets();
      return 1;
    }
    if (transfer.kind == Kind::Upload && ftp.progress_ != nullptr) {
      ftp.progress_->SetProgress(uploaded);
      if (ftp.ProgressView != nullptr) {
        try {
          ftp.ProgressView->Update(*ftp.progress_);
        } catch (...) {
          // An exception must not cross the client library; it ends the transfer instead.
          transfer.viewFailed = true;
          return 1;
        }
      }
    }
    if (ftp.CancelRequested()) {
      // As for a stall: the library would otherwise wait for the server's answer to the
      // broken-off transfer, up to the whole stall limit, before the cancel takes effect.
      ftp.curl_->ShutDownSockets();
      return 1;
    }
    return 0;
  }
};

TPFTP::TPFTP() : curl_(std::make_unique<CurlHandle>()) {}

TPFTP::~TPFTP() = default;

bool TPFTP::Perform(Transfer& transfer) {
  lastError_.clear();
  CURL* handle = curl_->handle;
  if (handle == nullptr) {
    lastError_ = "the FTP client could not be created";
    return false;
  }
  if (Server.FTPHost.empty()) {
    lastError_ = "no FTP host is set";
    return false;
  }
  std::string user = Server.FTPUser;
  if (Server.FTPUseProxi) user += "," + Server.FTPProxi;
  for (const auto* field :
       {&user, &Server.FTPPassword, &transfer.remoteName, &transfer.listRequest}) {
    if (HasLineBreak(*field)) {
      lastError_ = "a user name, password or file name holds a line break";
      return false;
    }
  }
  for (const auto& command : transfer.commands) {
    if (HasLineBreak(command)) {
      lastError_ = "a folder or file name holds a line break";
      return false;
    }
  }
  if (Server.FTPPort < 1 || Server.FTPPort > 65535) {
    lastError_ = "the FTP port " + std::to_string(Server.FTPPort) + " is not from 1 to 65535";
    return false;
  }

  CurlUrl url(curl_url());
  if (!url) {
    lastError_ = "out of memory";
    return false;
  }
  const bool ipv6Literal =
      Server.FTPHost.find(':') != std::string::npos && Server.FTPHost.front() != '[';
  const std::string host = ipv6Literal ? "[" + Server.FTPHost + "]" : Server.FTPHost;
  const std::string port = std::to_string(Server.FTPPort);
  const std::string path = "/" + transfer.remoteName;
  if (curl_url_set(url.get(), CURLUPART_SCHEME, "ftp", 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_HOST, host.c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_PORT, port.c_str(), 0) != CURLUE_OK ||
      curl_url_set(url.get(), CURLUPART_PATH, path.c_str(), CURLU_URLENCODE) != CURLUE_OK) {
    lastError_ = "the FTP host \"" + Server.FTPHost + "\" is not a valid host name";
    return false;
  }

  CurlList commands;
  for (const auto& command : transfer.commands) {
    curl_slist* extended = curl_slist_append(commands.get(), command.c_str());
    if (extended == nullptr) {
      lastError_ = "out of memory";
      return false;
    }
    commands.release();
    commands.reset(extended);
  }

  char errorText[CURL_ERROR_SIZE] = {};
  curl_easy_reset(handle);  // keeps the live connection, forgets the last request's options
  curl_easy_setopt(handle, CURLOPT_CURLU, url.get());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "ftp");
  curl_easy_setopt(handle, CURLOPT_USERNAME, user.c_str());
  curl_easy_setopt(handle, CURLOPT_PASSWORD, Server.FTPPassword.c_str());
  // Folders are changed by our own commands: the library must never change them itself.
  curl_easy_setopt(handle, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
  if (!Server.FTPPassive) curl_easy_setopt(handle, CURLOPT_FTPPORT, "-");
  if (Server.FTPUseTLS) {
    // AUTH TLS before the login, and the data connections protected too; a server that does
    // not offer it fails the login rather than ever seeing the password in clear.
    curl_easy_setopt(handle, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    curl_easy_setopt(handle, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!Server.FTPCAFile.empty())
      curl_easy_setopt(handle, CURLOPT_CAINFO, Server.FTPCAFile.c_str());
  }
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(TimeLimits.Connect.count()));
  curl_easy_setopt(handle, CURLOPT_ACCEPTTIMEOUT_MS, static_cast<long>(TimeLimits.Connect.count()));
  curl_easy_setopt(handle, CURLOPT_SERVER_RESPONSE_TIMEOUT, WholeSeconds(TimeLimits.Stall));
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, WholeSeconds(TimeLimits.Stall));
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_OPENSOCKETFUNCTION, &CurlHandle::OnOpenSocket);
  curl_easy_setopt(handle, CURLOPT_OPENSOCKETDATA, curl_.get());
  curl_easy_setopt(handle, CURLOPT_CLOSESOCKETFUNCTION, &CurlHandle::OnCloseSocket);
  curl_easy_setopt(handle, CURLOPT_CLOSESOCKETDATA, curl_.get());
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &Transfer::OnReply);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
  if (transfer.freshConnection) curl_easy_setopt(handle, CURLOPT_FRESH_CONNECT, 1L);
  if (commands) curl_easy_setopt(handle, CURLOPT_QUOTE, commands.get());
  switch (transfer.kind) {
    case Transfer::Kind::CommandsOnly:
      curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
      break;
    case Transfer::Kind::Upload:
      curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
      curl_easy_setopt(handle, CURLOPT_READFUNCTION, &Transfer::OnRead);
      curl_easy_setopt(handle, CURLOPT_READDATA, &transfer);
      curl_easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, transfer.sourceSize);
      break;
    case Transfer::Kind::NameList:
      curl_easy_setopt(handle, CURLOPT_DIRLISTONLY, 1L);
      curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, transfer.listRequest.c_str());
      curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Transfer::OnListing);
      curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
      break;
  }

  const bool wasConnected = connected_;
  const CURLcode result = curl_easy_perform(handle);
  // Nothing may point at this call's buffers once it returns.
  curl_easy_reset(handle);

  const bool listingAnswered = result == CURLE_WRITE_ERROR && transfer.listingCut;
  if (result != CURLE_OK && !listingAnswered) {
    if (transfer.stalled) {
      lastError_ = "the server stopped responding for " + DurationText(TimeLimits.Stall);
      if (!transfer.replies.empty()) lastError_ += " (server: " + transfer.replies.back() + ")";
    } else if (CancelRequested()) {
      lastError_ = "the transfer was cancelled";
    } else if (transfer.viewFailed) {
      lastError_ = "the progress display failed";
    } else {
      std::string technical = errorText[0] != '\0' ? errorText : curl_easy_strerror(result);
      if (!transfer.replies.empty()) technical += "; server: " + transfer.replies.back();
      lastError_ = TransferFailureText(
          result,
          transfer.kind == Transfer::Kind::Upload ? TTransferStage::Upload : TTransferStage::Login,
          technical);
    }
    connected_ = false;
    return false;
  }
  if (wasConnected && transfer.loggedIn) {
    // The library had to open a new control connection: the folder we changed to is lost,
    // so what followed did not happen where it was meant to.
    lastError_ = "the control connection was lost between two commands";
    connected_ = false;
    return false;
  }
  return true;
}

bool TPFTP::RunCommands(const std::vector<std::string>& commands, std::string* currentFolder) {
  Transfer transfer;
  transfer.owner = this;
  transfer.commands = commands;
  if (!Perform(transfer)) return false;
  if (currentFolder == nullptr) return true;
  for (auto line = transfer.replies.rbegin(); line != transfer.replies.rend(); ++line) {
    if (line->rfind("257", 0) == 0) return ParseCurrentFolder(*line, currentFolder);
  }
  lastError_ = "the server did not name its current folder";
  return false;
}

bool TPFTP::Connect() {
  try {
    if (connected_) return true;
    Transfer transfer;
    transfer.owner = this;
    transfer.commands = {"TYPE I"};
    // A connection that failed before is never picked up again: every login starts clean.
    transfer.freshConnection = true;
    if (!Perform(transfer)) {
      // With TLS required the reason is the operator's to act on (which certificate, which
      // authority), so the window shows it on a line of its own.
      ReportError(FormatTransferText(TTransferText::ConnectionFailed, Server.ServerName) +
                  (Server.FTPUseTLS ? "\r" + lastError_ : std::string()));
      return false;
    }
    connected_ = true;
    return true;
  } catch (...) {
    connected_ = false;
    lastError_ = "internal error while connecting";
    return false;
  }
}

bool TPFTP::ChangeToRemoteDir() {
  try {
    if (RemoteFolder.empty()) RemoteFolder = "/";
    std::string current;
    bool changed = RunCommands({"PWD"}, &current);
    if (changed && !SameDir(current, RemoteFolder)) {
      changed = RunCommands({"CWD " + RemoteFolder}, nullptr);
    }
    if (!changed) ReportError(TransferText(TTransferText::DirectoryNotFound));
    return changed;
  } catch (...) {
    lastError_ = "internal error while changing folder";
    return false;
  }
}

bool TPFTP::Store(const std::string& localPath) {
  UniqueFile source = OpenFile(localPath, "rb");
  struct stat status {};
  if (!source || fstat(fileno(source.get()), &status) != 0 || !S_ISREG(status.st_mode)) {
    lastError_ = localPath + ": no such file";
    return false;
  }
  Transfer transfer;
  transfer.owner = this;
  transfer.kind = Transfer::Kind::Upload;
  transfer.remoteName = fileName_;
  transfer.source = source.get();
  transfer.sourceSize = static_cast<curl_off_t>(status.st_size);
  return Perform(transfer);
}

void TPFTP::CloseProgress() {
  if (!progress_) return;
  if (!AutoClose) {
    progress_->SetFinished();
    if (ProgressView != nullptr) ProgressView->WaitUntilClosed(*progress_);
  }
  if (ProgressView != nullptr) ProgressView->Close(*progress_);
  progress_.reset();
}

bool TPFTP::PutFile(const std::string& localPath, const std::string& remoteFolder) {
  try {
    cancelRequested_ = false;
    if (!Connect()) return false;
    fileName_ = NamePart(localPath);
    localFolder_ = FolderPart(localPath);
    RemoteFolder = remoteFolder;
    if (!ChangeToRemoteDir()) return false;
    direction_ = TTransferDirection::Upload;
    fileSize_ = GetFileSize(localPath);
    if (ShowProgress) {
      progress_ = std::make_unique<TPFileProgress>();
      progress_->SetFileName(fileName_);
      progress_->SetTotal(fileSize_);
      progress_->SetHost(Server.FTPHost);
      progress_->SetDirection(direction_);
      progress_->SetAutoClose(AutoClose);
      progress_->SetCancelHandler([this] { Cancel(); });
      if (ProgressView != nullptr) ProgressView->Show(*progress_);
    }
    const bool stored = Store(localPath);
    if (!stored && (CancelRequested() || !connected_)) {
      // Close the control connection as well: after an abort the server's state is unknown.
      curl_ = std::make_unique<CurlHandle>();
      connected_ = false;
    }
    CloseProgress();
    return stored;
  } catch (...) {
    progress_.reset();
    lastError_ = "internal error during the upload";
    return false;
  }
}

bool TPFTP::RemoteDirExists(const std::string& folder) {
  try {
    if (!Connect()) return false;
    std::string current;
    return RunCommands({"CWD " + folder, "PWD"}, &current) && SameDir(folder, current);
  } catch (...) {
    lastError_ = "internal error while checking a folder";
    return false;
  }
}

bool TPFTP::RemoteFileExists(const std::string& mask, const std::string& folder) {
  try {
    if (!Connect()) return false;
    Transfer transfer;
    transfer.owner = this;
    transfer.kind = Transfer::Kind::NameList;
    transfer.commands = {"CWD " + folder};
    transfer.listRequest = "NLST " + mask;
    const bool listed = Perform(transfer);
    if (!listed) return false;
    if (transfer.listingCut) return true;
    // Any name at all, also a blank-free line of a server that lists differently.
    return transfer.listing.find_first_not_of(" \t\r\n") != std::string::npos;
  } catch (...) {
    lastError_ = "internal error while listing";
    return false;
  }
}

void TPFTP::ReportError(const std::string& message) {
  if (!ShowErrors || !ErrorSink) return;
  try {
    ErrorSink(message);
  } catch (...) {
    // Showing a message must never turn a failure into a crash.
  }
}

void TPFTP::Cancel() { cancelRequested_ = true; }

bool TPFTP::SameDir(const std::string& a, const std::string& b) {
  const auto normalise = [](const std::string& path) {
    std::string text;
    for (const char c : path) {
      if (c != '/') text += c;
    }
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    std::string result;
    for (std::size_t i = begin; i < end; ++i) {
      const char c = text[i];
      if (c == '\\') continue;
      result += static_cast<char>(LowerCase1252(static_cast<unsigned char>(c)));
    }
    return result;
  };
  return normalise(a) == normalise(b);
}

bool FtpPutFile(const TMediaServer& server, const std::string& localPath,
                const std::string& remoteFolder, bool showProgress, bool autoClose,
                TFileProgressView* view) {
  try {
    TPFTP ftp;
    ftp.Server = server;
    ftp.ShowProgress = showProgress;
    ftp.AutoClose = autoClose;
    ftp.ProgressView = view;
    return ftp.PutFile(localPath, remoteFolder);
  } catch (...) {
    return false;
  }
}

bool FtpTestConnection(const TMediaServer& server, bool showErrors, const TErrorSink& sink,
                       std::stop_token stop) {
  try {
    TPFTP ftp;
    ftp.Server = server;
    ftp.ShowErrors = showErrors;
    ftp.ErrorSink = sink;
    ftp.StopToken = std::move(stop);
    return ftp.Connect();
  } catch (...) {
    return false;
  }
}

bool FtpDirExists(const TMediaServer& server, const std::string& folder, bool showErrors,
                  const TErrorSink& sink, std::stop_token stop) {
  try {
    TPFTP ftp;
    ftp.Server = server;
    ftp.ShowErrors = showErrors;
    ftp.ErrorSink = sink;
    ftp.StopToken = std::move(stop);
    return ftp.RemoteDirExists(folder);
  } catch (...) {
    return false;
  }
}

bool FtpFileExists(const TMediaServer& server, const std::string& mask, const std::string& folder) {
  try {
    TPFTP ftp;
    ftp.Server = server;
    return ftp.RemoteFileExists(mask, folder);
  } catch (...) {
    return false;
  }
}

}  // namespace tavrel

#include "transfer/transfer_failure_words.h"

#include <curl/curl.h>

#include <array>

namespace tavrel {

namespace {

struct TFailureWords {
  CURLcode Code;
  const char* Words;
  // The failure can happen at any point of a transfer, so the words say when it happened.
  bool SaysWhen;
};

// Maps the transfer library's result codes that an operator meets to words that say what
// happened between this machine and the server. Codes not listed keep the library's text.
constexpr std::array kFailureWords = {
    TFailureWords{CURLE_COULDNT_RESOLVE_HOST, "the server's host name is not known", false},
    TFailureWords{CURLE_COULDNT_RESOLVE_PROXY, "the proxy's host name is not known", false},
    TFailureWords{CURLE_COULDNT_CONNECT, "the server could not be reached", false},
    TFailureWords{CURLE_OPERATION_TIMEDOUT, "the server did not answer in time", true},
    TFailureWords{CURLE_LOGIN_DENIED, "the server refused the user name or password", false},
    TFailureWords{CURLE_REMOTE_ACCESS_DENIED, "the server refused access to the folder", false},
    TFailureWords{CURLE_RECV_ERROR, "the server closed the connection", true},
    TFailureWords{CURLE_SEND_ERROR, "the connection to the server broke", true},
    TFailureWords{CURLE_GOT_NOTHING, "the server closed the connection without an answer", true},
    TFailureWords{CURLE_WEIRD_SERVER_REPLY, "the server's answer was not understood", true},
    TFailureWords{CURLE_FTP_WEIRD_SERVER_REPLY, "the server's answer was not understood", true},
    TFailureWords{CURLE_FTP_ACCEPT_FAILED,
                  "the server did not open the data connection (try passive mode)", false},
    TFailureWords{CURLE_FTP_ACCEPT_TIMEOUT,
                  "the server did not open the data connection in time (try passive mode)", false},
    TFailureWords{CURLE_FTP_WEIRD_PASV_REPLY,
                  "the data connection could not be set up (try active mode)", false},
    TFailureWords{CURLE_FTP_CANT_GET_HOST,
                  "the data connection could not be set up (try active mode)", false},
    TFailureWords{CURLE_FTP_PORT_FAILED,
                  "the server refused the data connection (try passive mode)", false},
    TFailureWords{CURLE_UPLOAD_FAILED, "the server refused to store the file", false},
    TFailureWords{CURLE_REMOTE_DISK_FULL, "the server's disk is full", false},
    TFailureWords{CURLE_QUOTE_ERROR, "the server refused a command", false},
    TFailureWords{CURLE_PARTIAL_FILE, "the transfer ended before the whole file had passed", true},
    TFailureWords{CURLE_SSL_CONNECT_ERROR, "the secure connection could not be set up", false},
    TFailureWords{CURLE_PEER_FAILED_VERIFICATION, "the server's certificate was not accepted",
                  false},
    TFailureWords{CURLE_USE_SSL_FAILED,
                  "the server does not offer TLS, and TLS is required: nothing was sent", false},
    TFailureWords{CURLE_SSL_CACERT_BADFILE, "the CA file (FTPCAFile) could not be read", false},
    TFailureWords{CURLE_ABORTED_BY_CALLBACK, "the transfer was stopped", true},
    TFailureWords{CURLE_OUT_OF_MEMORY, "this computer ran out of memory", true},
    TFailureWords{CURLE_HTTP_RETURNED_ERROR, "the web server answered with an error", false},
    TFailureWords{CURLE_TOO_MANY_REDIRECTS, "the web address redirects too often", false},
};

struct TCertificateReason {
  const char* LibraryText;
  const char* Words;
};

// Why a certificate was refused, found in the TLS library's text that comes with
// CURLE_PEER_FAILED_VERIFICATION, first match wins.
constexpr std::array kCertificateReasons = {
    TCertificateReason{"expired", ": it has expired"},
    TCertificateReason{"not yet valid", ": it is not valid yet"},
    TCertificateReason{"subject name", ": it is made out to another host name"},
    TCertificateReason{"host name", ": it is made out to another host name"},
    TCertificateReason{"issuer", ": it is not signed by a trusted authority"},
    TCertificateReason{"self-signed", ": it is not signed by a trusted authority"},
    TCertificateReason{"self signed", ": it is not signed by a trusted authority"},
};

// When each stage happens, in TTransferStage order.
constexpr std::array<const char*, 3> kStageWhen = {" during the login", " during the upload",
                                                   " while fetching the feed"};

}  // namespace

std::string TransferFailureText(int curlCode, TTransferStage stage, const std::string& technical) {
  for (const TFailureWords& entry : kFailureWords) {
    if (entry.Code != curlCode) continue;
    std::string text = entry.Words;
    if (entry.SaysWhen) text += kStageWhen[static_cast<std::size_t>(stage)];
    if (entry.Code == CURLE_PEER_FAILED_VERIFICATION) {
      for (const TCertificateReason& reason : kCertificateReasons) {
        if (technical.find(reason.LibraryText) == std::string::npos) continue;
        text += reason.Words;
        break;
      }
    }
    if (!technical.empty()) text += " (" + technical + ")";
    return text;
  }
  return technical.empty() ? std::string(curl_easy_strerror(static_cast<CURLcode>(curlCode)))
                           : technical;
}

}  // namespace tavrel

#pragma once

#include <string>

namespace tavrel {

// What a transfer was doing when it failed: the words for a broken connection depend on it.
enum class TTransferStage {
  Login,        // connecting, logging in, changing folders, asking for a name list
  Upload,       // storing a file on the server
  FeedDownload  // fetching the feed from its web address
};

// A transfer failure in the operator's words, with the library's own text after it for whoever
// has to look deeper: "the server closed the connection during the upload (response reading
// failed (errno: 115))". `curlCode` is the transfer library's result code; a code without
// words of its own gives the technical text alone, and an empty technical text gives the words
// alone.
std::string TransferFailureText(int curlCode, TTransferStage stage, const std::string& technical);

}  // namespace tavrel

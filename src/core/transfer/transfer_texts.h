#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tavrel {

// The operator-facing texts of the FTP transfer and its progress dialog. They are the English
// texts of the language tables; other languages plug in by replacing this one table.
enum class TTransferText {
  ConnectionFailed,   // "%s" is the server's display name
  DirectoryNotFound,  // a folder change or PWD before an upload failed
  UserIdForbidden,    // first line of the user ID check's message
  ProgressCaption,
  ProgressHost,  // followed by the host name
  ProgressTotal,
  ProgressUpload,
  ProgressDownload,
  ProgressTransmitted,
  ProgressReceived,
  ProgressCancel,
  ProgressOk,
  ProgressRunning,
  ProgressCompleted,
  Count
};

// Maps each TTransferText to its English text, in enumeration order.
inline constexpr std::array<std::string_view, static_cast<std::size_t>(TTransferText::Count)>
    kTransferTextsEnglish = {
        "Connection to server \"%s\" failed.",
        "Directory not found",
        "The FTP UserID may not contain any of the following characters or spaces:",
        "File Transfer",
        "FTP Host: ",
        "Total Bytes:",
        "Upload File",
        "Download File",
        "Bytes Transmitted:",
        "Bytes Received:",
        "Cancel",
        "OK",
        "File transfer in progress",
        "File transfer completed",
};

inline std::string TransferText(TTransferText id) {
  return std::string(kTransferTextsEnglish[static_cast<std::size_t>(id)]);
}

// Puts argument in place of the first "%s" of a message text. The argument is inserted as it
// stands: a server name holding "%" cannot disturb the formatting as it would with printf.
inline std::string FormatTransferText(TTransferText id, const std::string& argument) {
  std::string text = TransferText(id);
  const auto place = text.find("%s");
  if (place != std::string::npos) text.replace(place, 2, argument);
  return text;
}

}  // namespace tavrel

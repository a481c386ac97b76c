#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "transfer/media_server.h"

namespace tavrel {

// Where the FTP code shows a message to the operator: the window passes a function that opens
// an error box with one OK button, the command line one that prints to stderr.
using TErrorSink = std::function<void(const std::string& message)>;

// The message shown when a user ID holds a forbidden character: the first line, a carriage
// return, then the nine characters each followed by a space.
std::string FtpUserIdMessage();

// Checks an FTP user ID as the settings frame does: after trimming it may hold none of
// / \ : * ? " > < | nor a space (an empty ID passes). On failure the message goes to sink,
// when one is given. Answers whether the ID is acceptable.
bool ValidateFtpUserId(const std::string& userId, const TErrorSink& sink = {});

// The edits of the FTP settings frame, each the control the frame focuses when its check fails.
enum class TFtpField { None, Name, Host, UserId, Password, Port, Proxi, CAFile };

// The label caption of each edit of the frame, in TFtpField order (None has none). A failed
// required-field check names the edit by this caption.
inline constexpr std::array<std::string_view, 8> kFtpFieldLabels = {
    "", "Name", "FTP Host", "FTP User ID", "FTP Password", "FTP Port", "Proxi", "CA file"};
static_assert(kFtpFieldLabels.size() == static_cast<std::size_t>(TFtpField::CAFile) + 1);

inline std::string_view FtpFieldLabel(TFtpField field) {
  return kFtpFieldLabels[static_cast<std::size_t>(field)];
}

// The message of a port that is not a whole number from 1 to 65535.
inline constexpr std::string_view kFtpPortMessage =
    "Wrong FTP Port number, must be between 1 and 65535";

// The message of a CA file (with TLS on) that names no existing file.
inline constexpr std::string_view kFtpCaFileMessage = "File not found.";

// What a check of the frame decided: Ok, or the message the frame shows in an error box with one
// OK button and the edit that gets the focus.
struct TFtpCheck {
  bool Ok = true;
  std::string Message;
  TFtpField Field = TFtpField::None;
};

// The frame's controls as the operator left them: the edit texts as typed and the check boxes.
struct TFtpFrameTexts {
  std::string Name;
  std::string Host;
  std::string UserId;
  std::string Password;
  std::string Port;
  bool Passive = false;
  bool UseProxi = false;
  std::string Proxi;
  bool UseTLS = false;
  // A path: the file system's bytes, never trimmed nor converted.
  std::string CAFile;
};

// The required-field check of an edit: trims text of spaces and control characters at both
// ends, in place (the edit then shows the trimmed text), and fails with the edit's label, one
// space and "niet ingevuld." when nothing is left.
TFtpCheck CheckFilledIn(std::string& text, TFtpField field);

// The user ID check as a result: the message of FtpUserIdMessage(), and the user ID edit as the
// field it concerns.
TFtpCheck CheckFtpUserId(const std::string& userId);

// The frame's validation when its dialog is confirmed, stopping at the first failure: the
// required-field check of name, host, user ID, password and port, and of the proxy only when
// "Use Proxi" is ticked (each trims its edit in place); the trimmed port must be a decimal
// whole number from 1 to 65535; then the user ID check; last, with "Use TLS" ticked, a CA file
// named must exist.
TFtpCheck ValidateFtpFrame(TFtpFrameTexts& texts);

// The port as the frame reads it: the text as it stands (untrimmed) read as a decimal integer,
// 21 when it is not one. So the Test button, which reads the edits without the required-field
// checks, tries port 21 for a port typed with a trailing blank.
std::int32_t FtpPortFromText(std::string_view text);

// The frame's controls filled from a record: texts as stored, the port in decimal.
TFtpFrameTexts FtpFrameTexts(const TMediaServer& server);

// The record the frame hands back: server with name, host, user ID and password trimmed, the
// port as FtpPortFromText reads it, the two check boxes, and the proxy text untrimmed. Fields
// the frame does not show are kept from server.
TMediaServer FtpFrameRecord(const TFtpFrameTexts& texts, TMediaServer server);

}  // namespace tavrel

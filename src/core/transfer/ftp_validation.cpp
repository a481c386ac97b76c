#include "transfer/ftp_validation.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "support/text_utils.h"
#include "transfer/transfer_texts.h"

namespace tavrel {

namespace {

// Ends every required-field message, in every language of the frame.
constexpr std::string_view kNotFilledIn = "niet ingevuld.";

constexpr std::int32_t kDefaultFtpPort = 21;

std::string Trim(std::string_view text) { return std::string(TrimBlanks(text)); }

TFtpCheck Failure(std::string message, TFtpField field) {
  return {false, std::move(message), field};
}

}  // namespace

std::string FtpUserIdMessage() {
  return TransferText(TTransferText::UserIdForbidden) + "\r/ \\ : * ? \" > < | ";
}

bool ValidateFtpUserId(const std::string& userId, const TErrorSink& sink) {
  const bool valid = IsValidFileName(Trim(userId), false);
  if (!valid && sink) sink(FtpUserIdMessage());
  return valid;
}

TFtpCheck CheckFilledIn(std::string& text, TFtpField field) {
  text = Trim(text);
  if (!text.empty()) return {};
  return Failure(std::string(FtpFieldLabel(field)) + " " + std::string(kNotFilledIn), field);
}

TFtpCheck CheckFtpUserId(const std::string& userId) {
  if (ValidateFtpUserId(userId)) return {};
  return Failure(FtpUserIdMessage(), TFtpField::UserId);
}

TFtpCheck ValidateFtpFrame(TFtpFrameTexts& texts) {
  // The order of the frame's edits, top to bottom: the operator is sent to the first gap.
  const std::pair<std::string*, TFtpField> required[] = {
      {&texts.Name, TFtpField::Name},     {&texts.Host, TFtpField::Host},
      {&texts.UserId, TFtpField::UserId}, {&texts.Password, TFtpField::Password},
      {&texts.Port, TFtpField::Port},
  };
  for (const auto& [text, field] : required) {
    if (TFtpCheck check = CheckFilledIn(*text, field); !check.Ok) return check;
  }
  if (texts.UseProxi) {
    if (TFtpCheck check = CheckFilledIn(texts.Proxi, TFtpField::Proxi); !check.Ok) return check;
  }
  std::int32_t port = 0;
  if (!TryParseInt32(texts.Port, false, port) || port < 1 || port > 65535) {
    return Failure(std::string(kFtpPortMessage), TFtpField::Port);
  }
  if (TFtpCheck check = CheckFtpUserId(texts.UserId); !check.Ok) return check;
  // The authority's file is read at every TLS login: one that is not there fails them all.
  std::error_code error;
  if (texts.UseTLS && !texts.CAFile.empty() &&
      !std::filesystem::is_regular_file(std::filesystem::path(texts.CAFile), error)) {
    return Failure(std::string(kFtpCaFileMessage), TFtpField::CAFile);
  }
  return {};
}

std::int32_t FtpPortFromText(std::string_view text) {
  std::int32_t port = kDefaultFtpPort;
  return TryParseInt32(text, false, port) ? port : kDefaultFtpPort;
}

TFtpFrameTexts FtpFrameTexts(const TMediaServer& server) {
  return {server.ServerName,
          server.FTPHost,
          server.FTPUser,
          server.FTPPassword,
          std::to_string(server.FTPPort),
          server.FTPPassive,
          server.FTPUseProxi,
          server.FTPProxi,
          server.FTPUseTLS,
          server.FTPCAFile};
}

TMediaServer FtpFrameRecord(const TFtpFrameTexts& texts, TMediaServer server) {
  server.ServerName = Trim(texts.Name);
  server.FTPHost = Trim(texts.Host);
  server.FTPUser = Trim(texts.UserId);
  server.FTPPassword = Trim(texts.Password);
  server.FTPPort = FtpPortFromText(texts.Port);
  server.FTPPassive = texts.Passive;
  server.FTPUseProxi = texts.UseProxi;
  server.FTPProxi = texts.Proxi;
  server.FTPUseTLS = texts.UseTLS;
  server.FTPCAFile = texts.CAFile;
  return server;
}

}  // namespace tavrel

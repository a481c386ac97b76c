#include "transfer/ftp_validation.h"

#include "support/text_utils.h"
#include "transfer/transfer_texts.h"

namespace tavrel {

namespace {

// Trims spaces and control characters from both ends, as the settings edits do.
std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
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

}  // namespace tavrel

#include "page/page_import.h"

#include <cctype>

#include "page/edit_tf_url.h"
#include "page/tti_file.h"
#include "support/file_utils.h"

namespace tavrel {

bool LooksLikeEditTfAddress(const std::string& source) {
  if (source.find('#') != std::string::npos || source.find("://") != std::string::npos) return true;
  return source.size() > 2 && source[1] == ':' &&
         std::isxdigit(static_cast<unsigned char>(source[0])) && !PathExists(source);
}

TImportedPage ImportPageSource(const std::string& source) {
  TImportedPage imported;
  if (LooksLikeEditTfAddress(source)) {
    const TEditTfPage page = TEditTfPage::Parse(source);
    int charSet = TEditTfPage::CharSetFromEditTf(page.CharacterSet);
    if (charSet < 0) {
      imported.Note = "the edit.tf character set " + std::to_string(page.CharacterSet) +
                      " is none of ours; the template is German";
      charSet = kDefaultCharSet;
    }
    imported.Page = page.ToPage(charSet);
    return imported;
  }
  const TTtiFile file = TTtiFile::Read(source);
  const TTtiPage& first = file.Pages.front();
  if (!first.CharSet())
    imported.Note = source + " gives no character set (no PS line); the template is German";
  imported.Page = first.ToPage(kDefaultCharSet);
  imported.Title = file.Description;
  return imported;
}

}  // namespace tavrel

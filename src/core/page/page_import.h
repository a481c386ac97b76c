#pragma once

#include <string>

#include "page/page_record.h"

namespace tavrel {

// A page drawn elsewhere, made ready to become a template.
struct TImportedPage {
  TPrestPage Page;
  std::string Title;
  std::string Note;  // what the operator should know, e.g. a character set we lack
};

// Whether source is an edit.tf address rather than a file: it holds "#" or "://", or it is
// the bare fragment "<digit>:<data>" and no file of that name exists.
bool LooksLikeEditTfAddress(const std::string& source);

// Reads a TTI file (its first sub-page) or an edit.tf address: rows 1 to 23 and the source's
// character set where it is one of ours (German otherwise, with a note). Throws tavrel::Error
// naming the file and line, or the part of the address, that is wrong.
TImportedPage ImportPageSource(const std::string& source);

}  // namespace tavrel

#pragma once

#include <string>

#include "page/page_record.h"

namespace tavrel {

// A template as the template editor holds it: the page record and its text block.
struct TTemplateDocument {
  TPrestPage Page = TPrestPage::Blank();
  TTextBlock TextBlock;
};

// The text block of a new template, and of a template file without a "blocktext1" key.
inline constexpr TTextBlock kNewTemplateTextBlock{2, 6, 39, 22};
inline constexpr TTextBlock kReadTemplateTextBlock{3, 6, 38, 22};

// A character set option the editor can show (0, 2, ..., 14); anything else, such as a
// "charset" key that is not a number, becomes the default option so that a damaged file still
// opens with a known set of glyphs.
int ValidTemplateCharSet(int option);

// New: 960 spaces in the operator's default character set, frame colour and row prefix length 0,
// text block 2, 6, 39, 22.
TTemplateDocument NewTemplateDocument(int defaultCharSet);

// Reads a template file that exists: rows 1..23, "charset" (8 when missing) and "blocktext1"
// (3, 6, 38, 22 when missing). Throws a tavrel::Error naming the file when it cannot be read or
// is no template (it has no [PAGE] section).
TTemplateDocument ReadTemplateDocument(const std::string& path);

// Writes the template to path (creating it with an empty title and character set 8 when new):
// the text block, rows 1..23 and then the character set, in that order, and saves the file.
// Throws a tavrel::Error naming the file when it cannot be written.
void WriteTemplateDocument(const std::string& path, const TTemplateDocument& document);

// The template editor's caption: "Template Editor - " and the file name without its folder,
// or noNameText when the template has no file yet.
std::string TemplateEditorCaption(const std::string& path, const std::string& noNameText);

}  // namespace tavrel

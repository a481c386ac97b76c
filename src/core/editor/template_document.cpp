#include "editor/template_document.h"

#include <filesystem>

#include "page/template_file.h"
#include "support/error.h"

namespace tavrel {

int ValidTemplateCharSet(int option) {
  return option >= 0 && option <= 14 && option % 2 == 0 ? option : kDefaultCharSet;
}

TTemplateDocument NewTemplateDocument(int defaultCharSet) {
  TTemplateDocument document;
  document.Page = TPrestPage::Blank(ValidTemplateCharSet(defaultCharSet));
  document.TextBlock = kNewTemplateTextBlock;
  return document;
}

TTemplateDocument ReadTemplateDocument(const std::string& path) {
  TPageFile file(path, kDefaultCharSet);
  // Without its section every key reads as missing, and the file would open as a blank page
  // that a Save then writes over the foreign file; the generator refuses such a file too.
  if (file.FindSection(TPageFile::kSection) < 0) {
    throw FileError(path,
                    std::string("not a template: it has no [") + TPageFile::kSection + "] section");
  }
  TTemplateDocument document;
  file.ReadRows(document.Page);
  document.Page.CharSet = static_cast<std::uint8_t>(ValidTemplateCharSet(file.GetCharSet()));
  document.TextBlock = file.GetBlockText();
  return document;
}

void WriteTemplateDocument(const std::string& path, const TTemplateDocument& document) {
  TPageFile file(path, kDefaultCharSet);
  file.SetBlockText(document.TextBlock);
  file.WriteRows(document.Page);
  file.SetCharSet(document.Page.CharSet);
  file.Save();
}

std::string TemplateEditorCaption(const std::string& path, const std::string& noNameText) {
  const std::string name =
      path.empty() ? noNameText : std::filesystem::path(path).filename().string();
  return "Template Editor - " + name;
}

}  // namespace tavrel

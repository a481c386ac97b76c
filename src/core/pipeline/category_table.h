#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "page/page_record.h"
#include "pipeline/xml_schema.h"

namespace tavrel {

class TSettingsFile;

// One category of the feed and the pages it becomes: an index page listing the titles of its
// messages, and message k (0-based, in feed order) on page FirstNumber + k. The defaults are
// those a section of the settings file gets for a missing or unreadable key.
struct TRssTxtPageProperty {
  std::string Category;  // as written in the feed; matched ignoring ASCII letter case
  std::int32_t FirstNumber = 0;
  std::int32_t IndexNumber = 0;
  bool ShowTitle = true;
  bool EmptyRowAfterTitle = true;  // only with ShowTitle
  bool TitleUpperCase = true;      // only with ShowTitle
  // Colour of the page numbers on the index page, 1..8 (8 is black: the control byte is the
  // value AND 7).
  std::int32_t IndexNumberColor = 3;
  std::string IndexTemplateFileName;
  std::string MessageTemplateFileName;
  std::string FastextPrompt1 = "Index";
  std::string FastextPrompt2 = "Test";
  std::string FastextPrompt3 = "Test";
  std::string FastextPrompt4 = "Test";
  std::int32_t FastextLinkNr1 = 100;
  std::int32_t FastextLinkNr2 = 898;
  std::int32_t FastextLinkNr3 = 898;
  std::int32_t FastextLinkNr4 = 898;
  bool PreserveIndexCharset = false;
  bool PreserveMessageCharset = false;

  bool operator==(const TRssTxtPageProperty&) const = default;
};

// The category table in its fixed order: the order of the settings file's sections, new
// entries at the end. Taken by value wherever it is edited or used for one run.
using TRssTxtPageProperties = std::vector<TRssTxtPageProperty>;

// The prefix of the settings file's category sections, followed by the 1-based entry number
// with at least three digits ("XMLItem001").
inline constexpr std::string_view kCategorySectionPrefix = "XMLItem";

// The section of entry `number` (from 1): "XMLItem" and the number with at least three digits.
std::string CategorySectionName(std::size_t number);

// Reads the table from every section of the file whose name begins with "XMLItem" in exactly
// that letter case, in file order.
TRssTxtPageProperties LoadCategoryTable(const TSettingsFile& file);

// Replaces the category sections of the file with the table: entry i (from 1) goes to
// "XMLItem" + i with at least three digits. Sections whose name begins with "XMLItem" in any
// other letter case go too: the file's section names match regardless of case, so such a
// section (never loaded as a category) would take in the keys of the entry of its number and
// hide that entry from the next load.
void SaveCategoryTable(const TRssTxtPageProperties& table, TSettingsFile& file);

// The first entry whose Category equals the name ignoring ASCII letter case, or null.
const TRssTxtPageProperty* FindCategory(const TRssTxtPageProperties& table, std::string_view name);

// Template file names are stored as the operator gave them. A relative one is taken from
// `programDir` (the folder of the settings file, with its trailing "/"), so that a workspace
// can be moved as a whole; an absolute one, or any name when programDir is empty, stands.
std::string TemplatePath(const std::string& fileName, const std::string& programDir);

// Whether some entry of that name (ignoring ASCII letter case) names an existing index and an
// existing message template; entries of that name whose files are missing are passed over.
bool IsCategoryUsable(const TRssTxtPageProperties& table, std::string_view name,
                      const std::string& programDir = {});

// The text block of a template file; left 0, top 0, right -1, bottom -1 (no rows, no columns)
// when the file does not exist. The file is only read. Throws Error naming the file when it
// exists but cannot be read.
TTextBlock TemplateTextBlock(const std::string& fileName, const std::string& programDir = {});

// How many titles the index page of the entry has room for: the rows of the text block of its
// index template that lie on the page, 0 when the template is missing. A damaged block whose
// rows run off the page or backwards counts only the rows that exist, because the control file
// clears that many pages from FirstNumber on and must not reach into other categories' pages.
int MaxPages(const TRssTxtPageProperty& entry, const std::string& programDir = {});
// The same for an index template's text block already read.
int MaxPages(const TTextBlock& indexBlock);

// The category every message gets when the feed carries none: the first entry's, when the
// schema has no category element and the table is not empty; otherwise empty.
std::string DefaultCategory(const TRssTxtPageProperties& table, const TXMLSchema& schema);

}  // namespace tavrel

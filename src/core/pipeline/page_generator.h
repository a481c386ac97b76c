#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "page/page_record.h"
#include "pipeline/category_table.h"
#include "pipeline/control_file.h"
#include "pipeline/rss_message.h"
#include "pipeline/template_examination.h"
#include "render/text_layout.h"

namespace tavrel {

// What an index page lists: the titles of every message of one category, in feed order.
struct TRSSIndexPageContent {
  std::string Text;  // left empty
  std::string Category;
  std::vector<std::string> Titles;
};

// One page file just written, as the progress callback sees it.
struct TGeneratedPage {
  int Number = 0;
  int SubPage = 0;
  std::string FileName;  // without folder
  int PagesWritten = 0;  // page files written so far in this run, this one included
};

using TPageWrittenCallback = std::function<void(const TGeneratedPage&)>;

// What a run made and what it left out, for the operator.
struct TGenerationSummary {
  int CategoriesInFeed = 0;
  int CategoriesGenerated = 0;
  int IndexPages = 0;
  int MessagePages = 0;   // page numbers of messages (a split message counts once)
  int SplitMessages = 0;  // messages spread over sub-pages
  int SubPages = 0;       // the sub-pages of those
  int PageFiles = 0;      // every page file written
  // What was skipped or cut and why, one line each, in the order met.
  std::vector<std::string> Skipped;
  // The lines of Skipped about messages that could not be laid out as they are: titles an
  // index page has no row for, texts cut at a text block that leaves no room for a page
  // counter, texts longer than the last sub-page. The checks before a run cannot see these,
  // so the operator learns of them only here.
  std::vector<std::string> LayoutLines;

  // The summary as lines of text: categories, pages, files, then what was skipped.
  std::vector<std::string> Lines(const std::string& exportDir) const;
};

// Turns the messages of one feed into teletext pages: for every category of the feed that the
// table defines with both templates present, an index page listing the titles and one page (or
// a run of sub-pages) per message, each laid out on a copy of its template, encoded for
// broadcast and written to ExportDir, and "Control.dat" describing them all.
//
// Template paths in Categories are used as they stand: callers resolve relative settings first.
class TRICreateRssTxtPages {
 public:
  // At most this many sub-pages are made of one message; the rest of a longer text is dropped.
  static constexpr int kMaxSubPages = 56;

  // formatter is the shared text-to-page formatter (not owned); without one the generator
  // uses one of its own.
  TRICreateRssTxtPages(std::string exportDir, TRSSMessages messages,
                       TRssTxtPageProperties categories,
                       TPTextToPrestelPageForm* formatter = nullptr);

  std::string ExportDir;  // with trailing "/"
  TRssTxtPageProperties Categories;
  TRSSMessages Messages;
  std::vector<std::string> CategoryNames;
  // Page entries carry the categories' fastext prompts and links.
  bool UseFastext = true;
  // The page numbers that the last update sent put on air. Those this run does not generate
  // are cleared after the clearing block, so that no old story stays on air.
  std::vector<int> PreviousPages;
  // Called after each page file is written, so that a window can stay responsive and a
  // terminal can show progress.
  TPageWrittenCallback OnPageWritten;

  // At most this many categories of a feed are named as not defined; one more line counts the
  // rest, so that a feed of many thousand categories does not flood the operator.
  static constexpr int kMaxNamedCategories = 20;

  // Fills errors with one line per category of the feed that is not defined (at most
  // kMaxNamedCategories of those, then a count of the rest) or whose first entry lacks a
  // template file; answers whether there were none.
  bool CheckCategories(std::vector<std::string>& errors);

  // Adds one line per page that the run would leave out because its number lies outside the
  // broadcast range 100..899 (an unset index number is 0, a long category runs past 899) or
  // because another page of the run already has that number. Covers the categories the run
  // generates; answers whether there were none.
  bool CheckPageNumbers(std::vector<std::string>& lines);

  // Adds one line ("<file>: <what is wrong>") per template that the table names and that a run
  // could not use: a folder, a file that is not a template, a text block that cannot hold a
  // row of text. Missing files are not reported here (CheckCategories names them). Answers
  // whether there were none.
  bool CheckTemplates(std::vector<std::string>& lines) const;

  // Adds one line per message that a run could not lay out as it is (the LayoutLines of a
  // run's summary), laying out every page of the categories that a run would generate without
  // writing anything. Categories whose templates CheckTemplates refuses are passed over. The
  // summary of an earlier Run is forgotten. Answers whether there were none.
  bool CheckLayout(std::vector<std::string>& lines);

  // Generates every page and "Control.dat". Any "Control.dat" of an earlier run is removed
  // first. A page number is written once: a later page of a number already taken is skipped
  // and named in the summary. Throws Error naming the file when a template of a category of
  // the feed cannot be used (a folder or other non-file, a file that is not a template, a text
  // block that cannot hold one row of text), before any page is written, or when a page file
  // cannot be written; the run then ends without a control file, so that nothing of it is
  // taken for a complete update. Answers true.
  bool Run();

  const TGenerationSummary& Summary() const { return summary_; }

 private:
  // The steps of a run.
  // Loads a template's body rows, text block and character set. Throws Error naming the file
  // when it does not exist or TemplateProblem finds it unusable.
  void LoadTemplate(const std::string& fileName);
  // The template under that path as this run first found it: every template is read and
  // examined once per run, however many categories and pages use it, and each run (Run,
  // CheckLayout) starts afresh, so that a template mended on disk is seen by the next one.
  const TExaminedTemplate& Template(const std::string& fileName);
  // The clearing block's entries: one per entry of the table.
  std::vector<TControlClearing> Clearing();
  // Lists the titles whose message pages are on air (listed[k] for title k).
  void BuildIndexPage(const TRSSIndexPageContent& content, const std::vector<bool>& listed);
  void BuildMessagePages(std::size_t group);
  // The index page and the message pages of category group g of CategoryNames.
  void BuildCategoryPages(std::size_t group);
  // Control characters of titles and texts become spaces before anything is laid out.
  void BlankMessageControlCharacters();
  void BuildMessagePage(TRSSMessage& message, int number);
  // Fills message.Pages with its sub-page texts (SplitIntoSubPageTexts), noting a cut text.
  void SplitMessage(TRSSMessage& message, int rowsPerChunk);
  void PlaceCounter(const std::string& counter, TPrestPage& page) const;
  void LayOutText(const std::string& text, bool preserve, TPrestPage& page);
  void WritePage(const TPrestPage& page, int number, const TRssTxtPageProperty& entry, int subPage);

  std::array<std::uint8_t, kPageCells> TemplateCells{};
  TTextBlock TextBlock;
  int Charset = kDefaultCharSet;

  // Builds CategoryNames, the messages of each and the entry each uses, in one pass over the
  // messages and one over the table.
  void BuildCategoryNames();
  // Gives every page number to its first claim: all index pages of usable categories first,
  // then the message pages of each category in feed order. Adds a line per page left out
  // because its number was taken.
  void PlanPages(std::vector<std::string>& clashes);
  // Rows left for the message text under the title block.
  int BodyRows(const TRssTxtPageProperty& entry, const std::string& title) const;
  std::string TitleBlock(const TRssTxtPageProperty& entry, const std::string& title) const;
  TPrestPage TemplatePage() const;
  void Skip(std::string line) { summary_.Skipped.push_back(std::move(line)); }
  // A message that could not be laid out as it is.
  void SkipLayout(const std::string& line) {
    summary_.LayoutLines.push_back(line);
    Skip(line);
  }

  // Per category of CategoryNames: its messages (indexes into Messages) and the entry the run
  // uses, the first of that name with both templates present (null when none).
  std::vector<std::vector<std::size_t>> groups_;
  std::vector<const TRssTxtPageProperty*> usable_;
  // What PlanPages gave a page to.
  std::vector<bool> indexOnAir_;    // per category
  std::vector<bool> messageOnAir_;  // per message
  std::vector<int> written_;        // page numbers written so far, in order

  // The templates this run has read, by path as the table gives it (resolved by the caller).
  std::unordered_map<std::string, TExaminedTemplate> templates_;
  TPTextToPrestelPageForm* formatter_;
  std::optional<TPTextToPrestelPageForm> ownFormatter_;
  const TRssTxtPageProperty* entry_ = nullptr;  // entry of the category being built
  std::string templateFileName_;
  std::optional<TControlFileWriter> control_;
  TGenerationSummary summary_;
  // CheckLayout lays the pages out without encoding or writing them.
  bool layOutOnly_ = false;
};

// The title as the page shows it with "Title uppercase": every Windows-1252 letter that has a
// capital becomes that capital (a to z, and the accented letters such as ä, é, š, ÿ).
std::string UpperCaseTitle(std::string_view title);

// Splits text into sub-page texts of at most rowsPerChunk rows each as formatter wraps them,
// closing a chunk early at a sentence end; a chunk never starts with the line break that ended
// the one before, and no empty chunk is made. At most TRICreateRssTxtPages::kMaxSubPages chunks:
// answers false when the text needed more (the rest is left out).
bool SplitIntoSubPageTexts(const std::string& text, int rowsPerChunk,
                           TPTextToPrestelPageForm& formatter, std::vector<std::string>& pages);

// The lines that say which pages of a category lie outside 100..899 and are not generated:
// the index page, and the message pages first .. first + messages - 1 as one or two ranges.
std::vector<std::string> PageNumberProblems(const TRssTxtPageProperty& entry, int messageCount);

}  // namespace tavrel

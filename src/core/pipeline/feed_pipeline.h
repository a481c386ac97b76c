#pragma once

#include <string>
#include <vector>

#include "pipeline/category_table.h"
#include "pipeline/page_generator.h"
#include "pipeline/rss_message.h"
#include "transfer/feed_fetch.h"
#include "transfer/update_upload.h"

namespace tavrel {

class TRIGlobals;
class TPTextToPrestelPageForm;

// The two pipeline steps that the command line, the automatic scan and the window share:
// checking a feed before an interactive run, and generating the pages of a feed.

// What checking a feed found, as lines for the operator.
struct TFeedCheckResult {
  // What the feed lacks of the configured element names. When there are any, the feed is not
  // read further and the other lists stay empty.
  std::vector<std::string> SchemaLines;
  // Categories of the feed that the table does not define or that lack a template.
  std::vector<std::string> CategoryLines;
  // Pages that would not be generated because their number lies outside 100..899 or is
  // taken by another page of the run.
  std::vector<std::string> PageNumberLines;
  // Templates of the table that a run could not use ("<file>: <what is wrong>").
  std::vector<std::string> TemplateLines;
  // Fastext prompts of the table that "Control.dat" cannot carry (only with UseFastext).
  std::vector<std::string> PromptLines;
  // The feed's messages (empty when the schema check failed).
  TRSSMessages Messages;

  bool Passed() const {
    return SchemaLines.empty() && CategoryLines.empty() && PageNumberLines.empty() &&
           TemplateLines.empty() && PromptLines.empty();
  }
  // Every line, in the order above.
  std::vector<std::string> Lines() const;
};

// The feed location that the settings describe (the local feed file resolved with ResolvePath).
TFeedLocation FeedLocationOf(const TRIGlobals& settings);

// Where an update goes: ExportDir, the server account and TransferDir of the settings.
TUpdateTarget UpdateTargetOf(const TRIGlobals& settings);

// Where the fetched feed lies: ImportDir + XmlFileName.
std::string ImportedFeedPath(const TRIGlobals& settings);

// The feed a command works on when none is named: the fetched copy in ImportDir when it is
// there, else (for a local feed) the configured file itself. Throws Error when neither exists,
// naming what is missing.
std::string FeedPathForCommand(const TRIGlobals& settings);

// A copy of the category table with every template path resolved (TRIGlobals::ResolvePath).
TRssTxtPageProperties CategoriesForRun(const TRIGlobals& settings);

// Reads the feed at feedPath with the configured element names (and, for a feed without
// categories, the table's first category). Throws Error naming the file when it does not
// exist, cannot be read or parsed.
TRSSMessages ReadFeedMessages(const TRIGlobals& settings, const std::string& feedPath);

// The checks an interactive preview or upload runs first: the templates of the table, the feed
// against the element names, then its categories against the table, then the page numbers, and
// with fastext in use the table's prompts. Throws Error naming the file when the feed cannot be
// read or parsed.
TFeedCheckResult CheckFeed(const TRIGlobals& settings, const std::string& feedPath);
TFeedCheckResult CheckFeed(const TRIGlobals& settings);  // the fetched feed

// The messages that a run on these settings could not lay out as they are, one line each, as
// the run's summary would name them (TGenerationSummary::LayoutLines). Lays every page out with
// the settings' FormatCorrection and writes nothing. A preview does not wait for this: its run
// reports the same lines after the pages are made.
std::vector<std::string> LayoutProblems(const TRIGlobals& settings, const TRSSMessages& messages);

// The list, kept beside the handled feed, of the page numbers the last update sent put on air:
// one decimal number a line.
inline constexpr const char* kSentPagesFileName = "SentPages.txt";

// The page numbers of the list in HandledDir; empty when there is none. Lines that are not a
// page number are passed over. Throws Error naming the file when it cannot be read.
std::vector<int> ReadSentPages(const TRIGlobals& settings);

// After an update was stored completely: records the pages of "Control.dat" in ExportDir as the
// ones on air and makes the fetched feed the handled copy (CommitHandledFeed). Throws Error
// naming the file on failure.
void CommitSentUpdate(const TRIGlobals& settings);

// Empties ExportDir, reads the feed and generates its pages and "Control.dat" there. Answers
// what was made; the update is complete only when this returns (an error naming the file ends
// the run without a control file, and nothing of it may be sent). The formatter is the shared
// text-to-page formatter; onPageWritten is called after each page file. The pages of the last
// update sent (ReadSentPages) that this one does not write are cleared in its control file.
TGenerationSummary GenerateFromFeed(const TRIGlobals& settings, TPTextToPrestelPageForm& formatter,
                                    const std::string& feedPath,
                                    TPageWrittenCallback onPageWritten = {});
TGenerationSummary GenerateFromFeed(const TRIGlobals& settings,
                                    TPTextToPrestelPageForm& formatter);  // the fetched feed

}  // namespace tavrel

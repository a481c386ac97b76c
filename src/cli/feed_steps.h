#pragma once

#include <string>
#include <vector>

namespace tavrel {
class TRIGlobals;
}

namespace tavrel::cli {

// The pipeline steps that the commands sending an update share: the feed check whose
// findings the operator sees, and the page generation into ExportDir.

// The findings of the feed check on ImportDir + XmlFileName (schema, then categories), one
// line each, as Windows-1252 text; empty when the feed is fine. Throws tavrel::Error naming
// the file when the feed cannot be read or parsed.
std::vector<std::string> CheckFeedFindings(TRIGlobals& globals);

// Empties ExportDir and generates the pages of the fetched feed into it. Answers whether the
// control file written names at least one page, i.e. whether there is anything to send;
// summary, when given, receives the run's summary lines. Throws tavrel::Error naming the file
// on a feed, template or file error.
bool RegenerateExport(TRIGlobals& globals, std::vector<std::string>* summary = nullptr);

}  // namespace tavrel::cli

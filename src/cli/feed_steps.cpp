#include "feed_steps.h"

#include "pipeline/control_file_reader.h"
#include "pipeline/feed_pipeline.h"
#include "pipeline/settings_store.h"
#include "render/text_layout.h"

namespace tavrel::cli {

std::vector<std::string> CheckFeedFindings(TRIGlobals& globals) {
  return CheckFeed(globals).Lines();
}

bool RegenerateExport(TRIGlobals& globals, std::vector<std::string>* summary) {
  TPTextToPrestelPageForm formatter;
  formatter.SetFormatCorrection(globals.FormatCorrection);
  const TGenerationSummary made = GenerateFromFeed(globals, formatter);
  if (summary != nullptr) *summary = made.Lines(globals.ExportDir);
  // As the window does: only a control file that names a page makes an update worth sending.
  const TPTxtControlFile control(globals.ExportDir + "Control.dat");
  return !control.PageSections().empty();
}

}  // namespace tavrel::cli

#include "pipeline/main_window_commands.h"

namespace tavrel {

TMainCommandState MainCommandState(TMainCommand command, const TMainWindowState& state) {
  // The automatic scan and a Preview or Upload on the worker hold the pipeline and settings
  // commands alike: a step reads the settings anew, and the worker runs one job at a time.
  const bool free = !state.AutoScanOn && !state.RunInProgress;
  switch (command) {
    case TMainCommand::Preview:
    case TMainCommand::Upload:
    case TMainCommand::Options:
    case TMainCommand::PageList:
    case TMainCommand::TemplateEditor:
    case TMainCommand::XMLSchema:
      return {free, false};
    case TMainCommand::PreviousPage:
      return {free && state.PreviewIndex > 0, false};
    case TMainCommand::NextPage:
      return {free && state.PreviewIndex >= 0 && state.PreviewIndex < state.PageCount - 1, false};
    case TMainCommand::AutoScan:
      // The scan can be switched off during its own step, but not started during a Preview or
      // Upload: that run holds the worker.
      return {!(state.RunInProgress && !state.RunIsScanStep), state.AutoScanOn};
  }
  return {};
}

}  // namespace tavrel

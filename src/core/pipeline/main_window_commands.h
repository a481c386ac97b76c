#pragma once

namespace tavrel {

// The commands of the main window that its state can hold back: each is one action, shown in
// its menu and, where it has one, on its tool button.
enum class TMainCommand {
  Preview,
  PreviousPage,
  NextPage,
  Upload,
  AutoScan,  // starts or stops the automatic scan; checked while the scan is on
  Options,
  PageList,
  TemplateEditor,
  XMLSchema,
};
inline constexpr int kMainCommandCount = static_cast<int>(TMainCommand::XMLSchema) + 1;

// What the main window is doing, as far as its commands care.
struct TMainWindowState {
  bool AutoScanOn = false;
  // A Preview, an Upload or a scan step runs on the worker.
  bool RunInProgress = false;
  bool RunIsScanStep = false;
  // The preview's page among PageCount pages of "Control.dat"; -1 when none is shown.
  int PreviewIndex = -1;
  int PageCount = 0;
};

struct TMainCommandState {
  bool Enabled = false;
  bool Checked = false;
};

// Whether a command can run now, and whether its toggle is down. The window enables every
// action from this and asks it again before it runs a command, so a command reached another
// way (a shortcut, a test, a stale click) keeps the same rule.
TMainCommandState MainCommandState(TMainCommand command, const TMainWindowState& state);

}  // namespace tavrel

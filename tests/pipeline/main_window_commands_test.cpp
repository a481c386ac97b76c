// Which main-window commands run in which state: idle with or without pages, during a Preview
// or Upload, during the automatic scan and during one of its steps.
#include "pipeline/main_window_commands.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrel {
namespace {

TEST(MainWindowCommands, EachStateEnablesTheCommandsItCanRun) {
  struct Row {
    const char* Name;
    TMainWindowState State;
    // Enabled: Preview, PreviousPage, NextPage, Upload, AutoScan, then the four settings
    // commands (Options, PageList, TemplateEditor, XMLSchema) alike.
    const char* Enabled;
    bool AutoScanChecked;
  };
  // State fields: AutoScanOn, RunInProgress, RunIsScanStep, PreviewIndex, PageCount.
  const Row kRows[] = {
      {"idle, nothing generated", {false, false, false, -1, 0}, "100111", false},
      {"idle, first of three pages", {false, false, false, 0, 3}, "101111", false},
      {"idle, middle page", {false, false, false, 1, 3}, "111111", false},
      {"idle, last page", {false, false, false, 2, 3}, "110111", false},
      {"idle, the only page", {false, false, false, 0, 1}, "100111", false},
      {"Preview or Upload running", {false, true, false, 1, 3}, "000000", false},
      {"scan on, waiting", {true, false, false, 1, 3}, "000010", true},
      {"scan on, its step running", {true, true, true, 1, 3}, "000010", true},
      // Switched off during its own step: the step ends, but may be switched on again.
      {"scan off, its last step running", {false, true, true, 1, 3}, "000010", false},
  };
  constexpr TMainCommand kColumns[] = {TMainCommand::Preview, TMainCommand::PreviousPage,
                                       TMainCommand::NextPage, TMainCommand::Upload,
                                       TMainCommand::AutoScan};
  constexpr TMainCommand kSettings[] = {TMainCommand::Options, TMainCommand::PageList,
                                        TMainCommand::TemplateEditor, TMainCommand::XMLSchema};
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.Name);
    std::string enabled;
    for (TMainCommand command : kColumns) {
      enabled += MainCommandState(command, row.State).Enabled ? '1' : '0';
    }
    for (TMainCommand command : kSettings) {
      EXPECT_EQ(MainCommandState(command, row.State).Enabled, row.Enabled[5] == '1');
      EXPECT_FALSE(MainCommandState(command, row.State).Checked);
    }
    EXPECT_EQ(enabled, std::string(row.Enabled).substr(0, 5));
    EXPECT_EQ(MainCommandState(TMainCommand::AutoScan, row.State).Checked, row.AutoScanChecked);
  }
}

}  // namespace
}  // namespace tavrel

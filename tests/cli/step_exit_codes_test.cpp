// Every way a scan step can end has its exit code, and the README's list of exit codes says
// what each code a step answers means.
#include "step_exit_codes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace tavrel::cli {
namespace {

// The README's sentence "... share their exit codes: 0 sent, 1 error, ... (`tavrel" as code ->
// meaning.
std::map<int, std::string> ReadmeExitCodes() {
  std::ifstream file(TAVREL_SOURCE_DIR "/README.md");
  std::stringstream text;
  text << file.rdbuf();
  std::string readme = text.str();
  const std::string opening = "share their exit codes:";
  const std::size_t start = readme.find(opening);
  if (start == std::string::npos) return {};
  const std::size_t end = readme.find(" (`", start);
  std::string list = readme.substr(start + opening.size(), end - start - opening.size());
  for (char& c : list) {
    if (c == '\n') c = ' ';
  }
  std::map<int, std::string> codes;
  std::stringstream items(list);
  std::string item;
  while (std::getline(items, item, ',')) {
    std::stringstream words(item);
    int code = -1;
    words >> code;
    std::string meaning;
    std::getline(words >> std::ws, meaning);
    codes[code] = meaning;
  }
  return codes;
}

TEST(StepExitCodes, EveryOutcomeHasTheCodeTheReadmeGivesItsMeaning) {
  const std::map<int, std::string> readme = ReadmeExitCodes();
  ASSERT_FALSE(readme.empty()) << "README.md lists no exit codes";
  struct Row {
    TScanOutcome Outcome;
    const char* Meaning;  // as the README words it
  };
  // The last enumerator is WaitingForChange; a new outcome appended after it fails the
  // compile in ExitCodeOf's switch, and the row count here.
  constexpr Row kRows[] = {
      {TScanOutcome::NoChanges, "no changes"},
      {TScanOutcome::ConnectionFailed, "connection failed"},
      {TScanOutcome::ServerBusy, "server busy"},
      {TScanOutcome::Uploaded, "sent"},
      {TScanOutcome::NothingToSend, "no page generated"},
      {TScanOutcome::UploadFailed, "upload broken off"},
      // A stop breaks the upload off, as a stopped `tavrel upload` reports it.
      {TScanOutcome::Cancelled, "upload broken off"},
      {TScanOutcome::Failed, "error"},
      {TScanOutcome::HomeInUse, "home in use"},
      // The same inputs failed before: the same error again.
      {TScanOutcome::WaitingForChange, "error"},
  };
  static_assert(std::size(kRows) == static_cast<std::size_t>(TScanOutcome::WaitingForChange) + 1);
  for (std::size_t i = 0; i < std::size(kRows); ++i) {
    const Row& row = kRows[i];
    SCOPED_TRACE(row.Meaning);
    EXPECT_EQ(static_cast<std::size_t>(row.Outcome), i) << "one row per outcome, in enum order";
    const int code = ExitCodeOf(row.Outcome);
    ASSERT_TRUE(readme.count(code)) << "code " << code << " is not in the README's list";
    EXPECT_EQ(readme.at(code), row.Meaning) << "code " << code;
  }
  // The README lists no code beyond those the commands define.
  EXPECT_EQ(readme.at(kExitUsage), "usage");
  EXPECT_EQ(readme.rbegin()->first, kExitHomeInUse);
}

}  // namespace
}  // namespace tavrel::cli

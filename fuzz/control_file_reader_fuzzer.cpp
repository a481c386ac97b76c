// Feeds arbitrary bytes as a control file to the reader the window steps through pages with.
// Every listed page section must give its entries back, in a stable order.

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "pipeline/control_file_reader.h"
#include "support/error.h"
#include "support/text_utils.h"

using tavrel::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = tavrel::fuzz::Scratch().Write("Control.dat", data, size);
  const tavrel::TPTxtControlFile control(path);
  const auto& sections = control.PageSections();
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    if (i > 0) {
      Require(!tavrel::EqualsIgnoreCase(sections[i - 1], sections[i]),
              "each page section is listed once");
    }
    control.ReadEntry(sections[i], lines);
    Require(lines.size() >= 2, "a page section has at least one entry");
    Require(lines.front() == "[" + sections[i] + "]", "the entry starts with its section");
    for (std::size_t line = 1; line < lines.size(); ++line) {
      const std::size_t equals = lines[line].find('=');
      Require(equals != std::string::npos, "entry lines are key lines");
      const auto value = tavrel::TPTxtControlFile::EntryValue(lines, lines[line].substr(0, equals));
      Require(value.has_value(), "every key of an entry is found");
    }
  }
  control.ReadEntry("no such section", lines);
  Require(lines.size() == 1, "a missing section gives its bracket line alone");
  return 0;
}

#include "pipeline/page_generator.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "page/template_file.h"
#include "support/error.h"
#include "testing/page_records.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

using tavrel::testing::DecodeHamming;
namespace fs = std::filesystem;
using tavrel::testing::ReadBytes;
using tavrel::testing::TempFolder;
using tavrel::testing::WriteBytes;

// --- Reading generated pages back, with the receiver's rules rather than the encoder's ---

// One page file as text: a line with the address and character set from its header packet,
// then its 23 body rows, each cell printable or as \xNN. A byte with wrong parity shows as
// "!PARITY", a bad Hamming byte as "!HAMMING", so a golden file can never hide them.
std::string DumpPageFile(const std::string& path) {
  const std::string bytes = ReadBytes(path);
  if (bytes.size() != 1008) return "!SIZE " + std::to_string(bytes.size()) + "\n";
  auto nibble = [&](int index) -> std::string {
    const auto value = DecodeHamming(static_cast<std::uint8_t>(bytes[index]));
    if (!value) return "!HAMMING";
    return std::string(1, "0123456789ABCDEF"[*value]);
  };
  std::string text = "page " + nibble(0) + nibble(3) + nibble(2) + " sub " + nibble(7) + nibble(6) +
                     nibble(5) + nibble(4) + " control " + nibble(8) + nibble(9) + "\n";
  for (int row = 1; row < 24; ++row) {
    char label[8];
    std::snprintf(label, sizeof label, "%02d|", row);
    text += label;
    for (int column = 0; column < 40; ++column) {
      const auto byte = static_cast<std::uint8_t>(bytes[row * 42 + 2 + column]);
      if (std::popcount(byte) % 2 == 0) {
        text += "!PARITY";
        continue;
      }
      const int cell = byte & 0x7F;
      if (cell >= 0x20 && cell < 0x7F && cell != '\\') {
        text += static_cast<char>(cell);
      } else {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", cell);
        text += escaped;
      }
    }
    text += "|\n";
  }
  return text;
}

// The body row of a dump (1..23), without its label and bars.
std::string DumpRow(const std::string& dump, int row) {
  std::size_t start = 0;
  for (int line = 0; line < row; ++line) start = dump.find('\n', start) + 1;
  const std::size_t end = dump.find('\n', start);
  return dump.substr(start + 3, end - start - 4);
}

// Control.dat with its time stamps, which depend on the clock and the locale, masked.
std::string MaskedControlFile(const std::string& path) {
  return std::regex_replace(ReadBytes(path), std::regex("DateTime=[^\r]*"), "DateTime=<time>");
}

std::vector<std::string> PageFiles(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".pag") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// --- Building a workspace ---

// A template with a recognisable frame: a header on row 1, a footer on row 23, and dots in
// every other cell outside the text block, so a test sees which cells the generator touched.
void WriteTemplate(const std::string& path, const TTextBlock& block, int charSet = 8,
                   const char* blockText = nullptr) {
  TPageFile file(path, charSet);
  TPrestPage page = TPrestPage::Blank(charSet);
  for (int row = 1; row < 24; ++row) {
    for (int column = 0; column < 40; ++column) page.Cell(row, column) = '`';
  }
  const std::string header = "\x01\x0dTEMPLATE HEADER";
  for (std::size_t i = 0; i < header.size(); ++i) page.Cell(1, static_cast<int>(i)) = header[i];
  WriteBytes(path, "");  // so the file exists before the page file class opens it
  file.WriteRows(page);
  if (blockText != nullptr) {
    file.WriteString(TPageFile::kSection, "blocktext1", blockText);
  } else {
    file.SetBlockText(block);
  }
  file.SetCharSet(charSet);
  file.Save();
}

TRssTxtPageProperty Entry(const std::string& category, int index, int first,
                          const std::string& folder) {
  TRssTxtPageProperty entry;
  entry.Category = category;
  entry.IndexNumber = index;
  entry.FirstNumber = first;
  entry.IndexTemplateFileName = folder + "index.tpg";
  entry.MessageTemplateFileName = folder + "message.tpg";
  return entry;
}

TRSSMessage Message(const std::string& category, const std::string& title,
                    const std::string& text = "Short text.") {
  return TRSSMessage{category, title, text, {}};
}

// n paragraphs "Row k of the long message" with no sentence end, each one row wide.
std::string RowsOfText(int n) {
  std::string text;
  for (int k = 1; k <= n; ++k) {
    if (k > 1) text += "\r\n";
    text += "Row " + std::to_string(k) + " of the long message";
  }
  return text;
}

std::vector<TRSSMessage> Titles(const std::string& category, int n) {
  static const char* const kNames[] = {"Alpha", "Bravo", "Charlie", "Delta",  "Echo", "Foxtrot",
                                       "Golf",  "Hotel", "India",   "Juliet", "Kilo", "Lima"};
  std::vector<TRSSMessage> messages;
  for (int k = 0; k < n; ++k) messages.push_back(Message(category, kNames[k % 12]));
  return messages;
}

const TTextBlock kDefaultBlock{3, 6, 38, 22};

// A dumped row of the test templates with the default block's columns 3..38 holding text, left
// aligned; the template's own cells "`" on either side.
std::string BlockRow(const std::string& text) {
  std::string cells = text;
  std::size_t width = 36;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\') width += 3;  // an escaped cell \xNN takes four characters
  }
  cells.resize(width, ' ');
  return "```" + cells + "`";
}

// The same with the text right-aligned (a page counter).
std::string CounterRow(const std::string& counter) {
  return "```" + std::string(36 - counter.size(), ' ') + counter + "`";
}

// An index line: the title with dots to 32 characters, the colour byte, the page number.
std::string IndexRow(std::string title, const char* colour, int number) {
  title.resize(32, '.');
  return BlockRow(title + colour + std::to_string(number));
}

struct Scenario {
  const char* Name;
  // Golden dump under tests/data/generator/, every page and Control.dat; empty: none.
  const char* Golden;
  std::function<TRssTxtPageProperties(const std::string& folder)> Table;
  std::vector<TRSSMessage> Messages;
  TTextBlock IndexBlock = kDefaultBlock;
  TTextBlock MessageBlock = kDefaultBlock;
  std::vector<std::string> Files;
  std::vector<std::string> Skipped;
  // (file, row, exact row text) checks on top of the golden dump.
  std::vector<std::tuple<std::string, int, std::string>> Rows;
  bool UseFastext = true;
};

TEST(PageGenerator, GeneratesPagesAndControlFileFromTemplates) {
  auto single = [](TRssTxtPageProperty change = {}) {
    return [change](const std::string& folder) {
      TRssTxtPageProperty entry = Entry("News", 100, 101, folder);
      if (change.IndexNumberColor != 3) entry.IndexNumberColor = change.IndexNumberColor;
      return TRssTxtPageProperties{entry};
    };
  };
  TRssTxtPageProperty colour8;
  colour8.IndexNumberColor = 8;
  const std::string title40 = "A forty character title that is cut off!";
  ASSERT_EQ(title40.size(), 40u);
  std::vector<TRSSMessage> ten = Titles("News", 10);
  std::vector<TRSSMessage> nine = Titles("News", 9);

  const std::vector<Scenario> scenarios = {
      {"9 titles in 17 rows: double spacing; the width-36 line of a five-letter title",
       "index_double_spacing.txt",
       single(),
       nine,
       kDefaultBlock,
       kDefaultBlock,
       {"100-0000.pag", "101-0000.pag", "102-0000.pag", "103-0000.pag", "104-0000.pag",
        "105-0000.pag", "106-0000.pag", "107-0000.pag", "108-0000.pag", "109-0000.pag"},
       {},
       {{"100-0000.pag", 6, IndexRow("Alpha", "\\x03", 101)},
        {"100-0000.pag", 7, BlockRow("")},
        {"100-0000.pag", 22, IndexRow("India", "\\x03", 109)}}},
      {"10 titles in 17 rows: single spacing",
       "",
       single(),
       ten,
       kDefaultBlock,
       kDefaultBlock,
       {"100-0000.pag", "101-0000.pag", "102-0000.pag", "103-0000.pag", "104-0000.pag",
        "105-0000.pag", "106-0000.pag", "107-0000.pag", "108-0000.pag", "109-0000.pag",
        "110-0000.pag"},
       {},
       {{"100-0000.pag", 6, IndexRow("Alpha", "\\x03", 101)},
        {"100-0000.pag", 7, IndexRow("Bravo", "\\x03", 102)},
        {"100-0000.pag", 15, IndexRow("Juliet", "\\x03", 110)},
        {"100-0000.pag", 16, BlockRow("")}}},
      {"more titles than index rows: the index lists those that fit and says so",
       "",
       single(),
       Titles("News", 4),
       TTextBlock{3, 6, 38, 8},
       kDefaultBlock,
       {"100-0000.pag", "101-0000.pag", "102-0000.pag", "103-0000.pag", "104-0000.pag"},
       {"Category \"News\": index page 100 lists 3 of 4 titles; the text block of "
        "<folder>index.tpg has 3 rows."},
       {{"100-0000.pag", 8, IndexRow("Charlie", "\\x03", 103)}}},
      {"a 40-character title is cut to 32 and gets no dots; colour 8 puts byte 0",
       "",
       single(colour8),
       {Message("News", title40)},
       kDefaultBlock,
       kDefaultBlock,
       {"100-0000.pag", "101-0000.pag"},
       {},
       {{"100-0000.pag", 6, IndexRow(title40, "\\x00", 101)}}},
      {"a 30-row message without sentence ends makes 1/3 >>, 2/3 >>, 3/3 <<",
       "split_message.txt",
       single(),
       {Message("News", "Long one", RowsOfText(30))},
       kDefaultBlock,
       kDefaultBlock,
       {"100-0000.pag", "101-0001.pag", "101-0002.pag", "101-0003.pag"},
       {},
       {{"101-0001.pag", 6, BlockRow("LONG ONE")},
        {"101-0001.pag", 8, BlockRow("Row 1 of the long message")},
        {"101-0001.pag", 21, BlockRow("Row 14 of the long message")},
        {"101-0001.pag", 22, CounterRow("1/3 >>")},
        {"101-0002.pag", 8, BlockRow("Row 15 of the long message")},
        {"101-0002.pag", 22, CounterRow("2/3 >>")},
        {"101-0003.pag", 9, BlockRow("Row 30 of the long message")},
        {"101-0003.pag", 22, CounterRow("3/3 <<")}}},
      {"a message that fits exactly stays one page without counter",
       "",
       single(),
       {Message("News", "Exact", RowsOfText(15))},
       kDefaultBlock,
       kDefaultBlock,
       {"100-0000.pag", "101-0000.pag"},
       {},
       {{"101-0000.pag", 22, BlockRow("Row 15 of the long message")}}},
      {"the third message of first number 110 goes to page 112",
       "",
       [](const std::string& folder) {
         return TRssTxtPageProperties{Entry("News", 100, 110, folder)};
       },
       {Message("News", "One"), Message("news", "Two"), Message("NEWS", "Three")},
       kDefaultBlock,
       kDefaultBlock,
       {"100-0000.pag", "110-0000.pag", "111-0000.pag", "112-0000.pag"},
       {},
       {{"112-0000.pag", 6, BlockRow("THREE")},
        {"100-0000.pag", 10, IndexRow("Three", "\\x03", 112)}}},
      {"a feed of an undefined category: no page files, clearing lines only",
       "undefined_only.txt",
       [](const std::string& folder) {
         TRssTxtPageProperty second = Entry("Sport", 200, 201, folder);
         second.IndexTemplateFileName = folder + "missing.tpg";  // no clearing lines
         return TRssTxtPageProperties{Entry("News", 100, 101, folder), second};
       },
       {Message("Weather", "Sunny"), Message("Weather", "Rain")},
       TTextBlock{3, 6, 38, 8},
       kDefaultBlock,
       {},
       {"Category \"Weather\" not defined. 2 messages skipped."},
       {}},
      {"pages outside 100..899 are not written and are reported",
       "out_of_range.txt",
       [](const std::string& folder) {
         return TRssTxtPageProperties{Entry("News", 0, 898, folder)};
       },
       Titles("News", 4),
       TTextBlock{3, 6, 38, 8},
       kDefaultBlock,
       {"898-0000.pag", "899-0000.pag"},
       {"Category \"News\": index page 0 is outside 100..899 and is not generated.",
        "Category \"News\": message pages 900 to 901 are outside 100..899 and are not "
        "generated."},
       {}},
      {"a block with no room for the counter: whole text on one page, cut, reported",
       "",
       single(),
       {Message("News", "Cramped", RowsOfText(5))},
       kDefaultBlock,
       TTextBlock{3, 6, 38, 8},
       {"100-0000.pag", "101-0000.pag"},
       {"Message \"Cramped\" on page 101: the text block of <folder>message.tpg has no room for "
        "the title, the text and a page counter; the whole text is on one page, cut at the "
        "block."},
       {{"101-0000.pag", 6, BlockRow("CRAMPED")},
        {"101-0000.pag", 8, BlockRow("Row 1 of the long message")},
        {"101-0000.pag", 9, std::string(40, '`')}}},
      {"a title of two rows leaves two rows less for the text",
       "",
       single(),
       {Message("News", "A title far too long for one row of the block", RowsOfText(14))},
       kDefaultBlock,
       kDefaultBlock,
       {"100-0000.pag", "101-0000.pag"},
       {},
       {{"101-0000.pag", 7, BlockRow("THE BLOCK")},
        {"101-0000.pag", 22, BlockRow("Row 14 of the long message")}}},
      {"more than 56 sub-pages: the rest is dropped and reported",
       "",
       [](const std::string& folder) {
         TRssTxtPageProperty entry = Entry("News", 100, 101, folder);
         entry.ShowTitle = false;
         return TRssTxtPageProperties{entry};
       },
       {Message("News", "Endless", RowsOfText(60))},
       kDefaultBlock,
       TTextBlock{3, 6, 38, 7},
       [] {
         std::vector<std::string> files{"100-0000.pag"};
         for (int k = 1; k <= 56; ++k) {
           files.push_back("101-00" + std::string(k < 10 ? "0" : "") + std::to_string(k) + ".pag");
         }
         return files;
       }(),
       {"Message \"Endless\": the text needs more than 56 sub-pages; the rest is not shown."},
       {{"101-0056.pag", 6, BlockRow("Row 56 of the long message")},
        {"101-0056.pag", 7, CounterRow("56/56 <<")}}},
      {"fastext off: six lines per entry; Swedish text sets the character set",
       "fastext_off_charset.txt",
       single(),
       {Message("News", "Sm\xe5land", "R\xe4ksm\xf6rg\xe5s i Sm\xe5land."),
        Message("News", "Plain", "Nothing national here.")},
       TTextBlock{3, 6, 38, 8},
       kDefaultBlock,
       {"100-0000.pag", "101-0000.pag", "102-0000.pag"},
       {},
       {},
       false},
  };

  const bool update = std::getenv("TAVREL_UPDATE_GOLDEN") != nullptr;
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.Name);
    TempFolder folder;
    const std::string templates = folder / "";
    WriteTemplate(templates + "index.tpg", s.IndexBlock);
    WriteTemplate(templates + "message.tpg", s.MessageBlock);
    const std::string exportDir = folder / "Export/";
    fs::create_directories(exportDir);

    TRICreateRssTxtPages generator(exportDir, s.Messages, s.Table(templates));
    generator.UseFastext = s.UseFastext;
    std::vector<std::string> progress;
    generator.OnPageWritten = [&](const TGeneratedPage& page) {
      progress.push_back(page.FileName);
      EXPECT_EQ(page.PagesWritten, static_cast<int>(progress.size()));
    };
    ASSERT_TRUE(generator.Run());

    const std::vector<std::string> files = PageFiles(exportDir);
    EXPECT_EQ(files, s.Files);
    EXPECT_EQ(progress.size(), s.Files.size());
    std::vector<std::string> skipped;
    for (const std::string& line : generator.Summary().Skipped) {
      skipped.push_back(std::regex_replace(line, std::regex(templates), "<folder>"));
    }
    EXPECT_EQ(skipped, s.Skipped);
    // The cut titles and texts are layout lines; undefined categories and page numbers, which
    // the checks before a run name, are not.
    const auto isLayoutLoss = [](const std::string& line) {
      return line.find("has no room for the title") != std::string::npos ||
             line.find("sub-pages; the rest is not shown") != std::string::npos ||
             line.find(" titles; the text block of ") != std::string::npos;
    };
    EXPECT_EQ(
        generator.Summary().LayoutLines.size(),
        static_cast<std::size_t>(std::count_if(s.Skipped.begin(), s.Skipped.end(), isLayoutLoss)));
    // What the run could not lay out is what the check before a run names, and the check
    // writes nothing (its export folder does not exist).
    for (const std::string& line : generator.Summary().LayoutLines) {
      EXPECT_NE(
          std::find(generator.Summary().Skipped.begin(), generator.Summary().Skipped.end(), line),
          generator.Summary().Skipped.end())
          << line;
    }
    TRICreateRssTxtPages checker(folder / "NoExport/", s.Messages, s.Table(templates));
    std::vector<std::string> layout;
    EXPECT_EQ(checker.CheckLayout(layout), generator.Summary().LayoutLines.empty());
    EXPECT_EQ(layout, generator.Summary().LayoutLines);
    EXPECT_FALSE(fs::exists(folder / "NoExport"));
    for (const auto& [file, row, text] : s.Rows) {
      SCOPED_TRACE(file + " row " + std::to_string(row));
      EXPECT_EQ(DumpRow(DumpPageFile(exportDir + file), row), text);
    }
    // Every page written is named in the control file, and no other.
    const std::string control = ReadBytes(exportDir + "Control.dat");
    for (const std::string& file : files) {
      EXPECT_NE(control.find("Filename=" + file + "\r\n"), std::string::npos) << file;
    }
    EXPECT_EQ(static_cast<std::size_t>(std::count(control.begin(), control.end(), '=')) /
                  (s.UseFastext ? 7 : 5),
              files.size());

    if (*s.Golden == '\0') continue;
    std::string dump;
    for (const std::string& file : files)
      dump += "[" + file + "] " + DumpPageFile(exportDir + file);
    dump += "[Control.dat]\n" + MaskedControlFile(exportDir + "Control.dat");
    const std::string golden = std::string(TAVREL_TEST_DATA_DIR) + "/generator/" + s.Golden;
    if (update) WriteBytes(golden, dump);
    EXPECT_EQ(dump, ReadBytes(golden));
  }
}

TEST(PageGenerator, CheckCategoriesWordsEachProblem) {
  struct Case {
    const char* Name;
    std::vector<std::string> FeedCategories;
    bool IndexExists;
    bool MessageExists;
    std::vector<std::string> Lines;
  };
  const std::vector<Case> cases = {
      {"all defined", {"News", "NEWS"}, true, true, {}},
      {"not defined, once per name ignoring case",
       {"Sport", "News", "sport"},
       true,
       true,
       {"Category \"Sport\" not defined."}},
      {"no index template", {"News"}, false, true, {"Category \"News\" has no index template."}},
      {"no message template",
       {"News"},
       true,
       false,
       {"Category \"News\" has no message template."}},
      {"neither template, then an undefined one",
       {"news", "Local"},
       false,
       false,
       {"Category \"news\" has no index template.", "Category \"news\" has no message template.",
        "Category \"Local\" not defined."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    TRssTxtPageProperty entry = Entry("News", 100, 101, folder / "");
    if (c.IndexExists) WriteTemplate(entry.IndexTemplateFileName, kDefaultBlock);
    if (c.MessageExists) WriteTemplate(entry.MessageTemplateFileName, kDefaultBlock);
    TRSSMessages messages;
    for (const std::string& category : c.FeedCategories) messages.push_back(Message(category, "T"));
    TRICreateRssTxtPages generator(folder / "", messages, {entry});
    std::vector<std::string> lines{"left from before"};
    EXPECT_EQ(generator.CheckCategories(lines), c.Lines.empty());
    EXPECT_EQ(lines, c.Lines);
    // A check never creates the templates it looks for.
    EXPECT_EQ(fs::exists(entry.IndexTemplateFileName), c.IndexExists);
    EXPECT_EQ(fs::exists(entry.MessageTemplateFileName), c.MessageExists);
  }
}

TEST(PageGenerator, PageNumberProblemsNameTheRanges) {
  struct Case {
    int Index;
    int First;
    int Messages;
    std::vector<std::string> Lines;
  };
  const std::string news = "Category \"News\": ";
  const std::vector<Case> cases = {
      {100, 101, 799, {}},
      {100, 101, 800, {news + "message page 900 is outside 100..899 and is not generated."}},
      {900,
       95,
       3,
       {news + "index page 900 is outside 100..899 and is not generated.",
        news + "message pages 95 to 97 are outside 100..899 and are not generated."}},
      {99, 0, 0, {news + "index page 99 is outside 100..899 and is not generated."}},
      {100,
       98,
       804,
       {news + "message pages 98 to 99 are outside 100..899 and are not generated.",
        news + "message pages 900 to 901 are outside 100..899 and are not generated."}},
      {100,
       2147483647,
       2,
       {news + "message pages 2147483647 to 2147483648 are outside 100..899 "
               "and are not generated."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.Index) + " " + std::to_string(c.First) + " " +
                 std::to_string(c.Messages));
    TRssTxtPageProperty entry;
    entry.Category = "News";
    entry.IndexNumber = c.Index;
    entry.FirstNumber = c.First;
    EXPECT_EQ(PageNumberProblems(entry, c.Messages), c.Lines);
  }
}

TEST(PageGenerator, FailuresEndTheRunWithoutAControlFile) {
  struct Case {
    const char* Name;
    const char* BlockText;          // message template's block, as stored
    const char* BlockingDirectory;  // a folder standing where a page file must go
    std::string Error;              // with <folder> for the temporary folder
    // Done to the written templates' folder: a template damaged or replaced.
    std::function<void(const std::string& folder)> Damage = nullptr;
  };
  // A template that is there but unusable must stop the run: skipped like a missing one, its
  // category would go off the air while the run reports success.
  auto replaceByFolder = [](const char* name) {
    return [name](const std::string& folder) {
      fs::remove(folder + name);
      fs::create_directory(folder + name);
    };
  };
  auto overwrite = [](const char* name, std::string bytes) {
    return [name, bytes](const std::string& folder) { WriteBytes(folder + name, bytes); };
  };
  static const char kNoise[] = "\x9c\x00\x11]PAGE[\r\n\xff=row01=\xa0\xa0\n\x03\xe9";
  const std::string noise(kNoise, sizeof kNoise - 1);
  const std::vector<Case> cases = {
      {"a page file that cannot be created", "03063822", "101-0000.pag",
       "<folder>Export/101-0000.pag: cannot be created: Is a directory"},
      {"a text block outside the page", "03063830", nullptr,
       "<folder>message.tpg: text block \"03063830\" (blocktext1) is unusable: it does not lie "
       "within the page of columns 0 to 39 and rows 0 to 23"},
      // Read as one cell at row 0, the page header: blank pages would go on air.
      {"a text block of letters", "abcdefgh", nullptr,
       "<folder>message.tpg: text block \"abcdefgh\" (blocktext1) is unusable: it lies on row 0, "
       "the page header, and cannot hold one row of text"},
      {"an empty text block", "", nullptr,
       "<folder>message.tpg: text block \"\" (blocktext1) is unusable: it lies on row 0, the page "
       "header, and cannot hold one row of text"},
      {"an inverted text block", "03060022", nullptr,
       "<folder>message.tpg: text block \"03060022\" (blocktext1) is unusable: right column 0 is "
       "left of left column 3"},
      {"a message template replaced by a folder", "03063822", nullptr,
       "<folder>message.tpg: is a folder, not a template file", replaceByFolder("message.tpg")},
      {"an index template replaced by a folder", "03063822", nullptr,
       "<folder>index.tpg: is a folder, not a template file", replaceByFolder("index.tpg")},
      {"a message template of other bytes", "03063822", nullptr,
       "<folder>message.tpg: not a template: it has no [PAGE] section",
       overwrite("message.tpg", noise)},
      {"a message template cut to nothing", "03063822", nullptr,
       "<folder>message.tpg: not a template: it has no [PAGE] section",
       overwrite("message.tpg", "")},
      {"an index template cut inside its section header", "03063822", nullptr,
       "<folder>index.tpg: not a template: it has no [PAGE] section",
       overwrite("index.tpg", "[PA")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    WriteTemplate(folder / "index.tpg", kDefaultBlock);
    WriteTemplate(folder / "message.tpg", kDefaultBlock, 8, c.BlockText);
    const std::string exportDir = folder / "Export/";
    fs::create_directories(exportDir);
    // An old control file must not survive to name pages of a broken run.
    WriteBytes(exportDir + "Control.dat", "[101.0000]\r\nFilename=101-0000.pag\r\n");
    if (c.BlockingDirectory) fs::create_directories(exportDir + c.BlockingDirectory);
    if (c.Damage) c.Damage(folder / "");
    TRICreateRssTxtPages generator(exportDir, {Message("News", "One"), Message("News", "Two")},
                                   {Entry("News", 100, 101, folder / "")});
    try {
      generator.Run();
      ADD_FAILURE() << "no error";
    } catch (const Error& error) {
      EXPECT_EQ(std::regex_replace(error.what(), std::regex(folder.Path()), "<folder>"), c.Error);
    }
    EXPECT_FALSE(fs::exists(exportDir + "Control.dat"));
  }
}

TEST(PageGenerator, ARunUsesEachTemplateAsItFoundItAndTheNextRunSeesChanges) {
  struct Case {
    const char* Name;
    // Done to the templates' folder once the run's first page is written.
    std::function<void(const std::string& folder)> Change;
    // Row of the next run's message pages that holds the title; 0: the next run fails.
    int NextTitleRow;
    std::string NextError;  // with <folder> for the temporary folder
  };
  const std::vector<Case> cases = {
      {"the shared message template broken during the run",
       [](const std::string& folder) { WriteBytes(folder + "message.tpg", ""); }, 0,
       "<folder>message.tpg: not a template: it has no [PAGE] section"},
      {"the shared message template's text block moved down during the run",
       [](const std::string& folder) {
         WriteTemplate(folder + "message.tpg", TTextBlock{3, 10, 38, 22});
       },
       10, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TempFolder folder;
    const std::string templates = folder / "";
    WriteTemplate(templates + "index.tpg", kDefaultBlock);
    WriteTemplate(templates + "message.tpg", kDefaultBlock);
    const std::string exportDir = folder / "Export/";
    fs::create_directories(exportDir);
    // Two categories on the same templates: the second loads them after the change.
    TRICreateRssTxtPages generator(
        exportDir, {Message("News", "One"), Message("Sport", "Two")},
        {Entry("News", 100, 101, templates), Entry("Sport", 200, 201, templates)});
    bool changed = false;
    generator.OnPageWritten = [&](const TGeneratedPage&) {
      if (!changed) c.Change(templates);
      changed = true;
    };
    ASSERT_TRUE(generator.Run());
    EXPECT_EQ(PageFiles(exportDir), (std::vector<std::string>{"100-0000.pag", "101-0000.pag",
                                                              "200-0000.pag", "201-0000.pag"}));
    EXPECT_TRUE(fs::exists(exportDir + "Control.dat"));
    EXPECT_EQ(DumpRow(DumpPageFile(exportDir + "101-0000.pag"), 6), BlockRow("ONE"));
    EXPECT_EQ(DumpRow(DumpPageFile(exportDir + "201-0000.pag"), 6), BlockRow("TWO"));

    // The same generator runs again: it reads the templates afresh.
    if (c.NextTitleRow == 0) {
      try {
        generator.Run();
        ADD_FAILURE() << "no error";
      } catch (const Error& error) {
        EXPECT_EQ(std::regex_replace(error.what(), std::regex(folder.Path()), "<folder>"),
                  c.NextError);
      }
      EXPECT_FALSE(fs::exists(exportDir + "Control.dat"));
      continue;
    }
    ASSERT_TRUE(generator.Run());
    EXPECT_EQ(DumpRow(DumpPageFile(exportDir + "101-0000.pag"), c.NextTitleRow), BlockRow("ONE"));
    EXPECT_EQ(DumpRow(DumpPageFile(exportDir + "201-0000.pag"), c.NextTitleRow), BlockRow("TWO"));
  }
}

TEST(PageGenerator, UpperCaseTitleTurnsEveryWindows1252LetterWithACapital) {
  struct Case {
    const char* Name;
    std::string Title;  // Windows-1252
    std::string Upper;
  };
  const std::vector<Case> cases = {
      {"ASCII", "abc xyz 09", "ABC XYZ 09"},
      {"Latin-1 letters", "\xe4\xe9\xf6\xfc\xe5\xe0\xfe", "\xc4\xc9\xd6\xdc\xc5\xc0\xde"},
      {"letters of the 0x80 row", "\x9a\x9c\x9e\xff", "\x8a\x8c\x8e\x9f"},
      // Sharp s and micro sign have no capital of their own; the division sign is no letter.
      {"no capital", "\xdf\xb5\xf7", "\xdf\xb5\xf7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(UpperCaseTitle(c.Title), c.Upper);
  }
}

TEST(PageGenerator, SplitNeverMakesEmptyPieces) {
  struct Case {
    const char* Name;
    std::string Text;
    int RowsPerChunk;
    std::vector<std::string> Pages;
  };
  const std::vector<Case> cases = {
      {"a leading line break is not a page of its own",
       "\r\nOne two\r\nthree four",
       1,
       {"One two", "three four"}},
      {"blank lines at the end make no page", "One\r\nTwo\r\n\r\n\r\n", 1, {"One", "Two"}},
      {"a sentence end closes a chunk early",
       "First one. Second\r\nthird\r\nfourth",
       2,
       {"First one.", "Second\r\nthird", "fourth"}},
      {"an empty text makes nothing", "", 3, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TPTextToPrestelPageForm formatter;
    formatter.SetTextArea(0, 0, 9, 5);
    std::vector<std::string> pages;
    EXPECT_TRUE(SplitIntoSubPageTexts(c.Text, c.RowsPerChunk, formatter, pages));
    EXPECT_EQ(pages, c.Pages);
  }
}

}  // namespace
}  // namespace tavrel

#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "page/broadcast_encoder.h"
#include "page/page_record.h"
#include "page/tti_file.h"

namespace tavrel {

// One generated page of the export folder as "Control.dat" lists it, with its page file read.
struct TExportedPage {
  int Number = 0;   // 100..899
  int SubPage = 0;  // the four digits of the entry's section
  std::string FileName;
  // The four fastext links of the entry, when the pages were made with fastext.
  std::optional<std::array<int, 4>> Links;
  TBroadcastRecord Record{};
};

// Hands the generated pages to the open teletext world: page files for inserters that read
// TTI, and a T42 packet stream. Both read the pages "Control.dat" lists, in its page order.
class TTeletextExport {
 public:
  // The seconds each sub-page of a carousel stays on air in the TTI files.
  static constexpr int kDefaultCycleSeconds = 8;

  // Reads "Control.dat" of exportDir (a folder name ending in "/") and the page file of every
  // page entry. Throws tavrel::Error naming the file when "Control.dat" is missing, a page file
  // is missing or short, or an entry's section or links are not numbers.
  explicit TTeletextExport(const std::string& exportDir);

  const std::vector<TExportedPage>& Pages() const { return pages_; }

  // The TTI file of each page number, sub-pages in order: "PN" the page and the sub-page's
  // place, "SC" and "PS" from the page header (sub-code, control bits, national option
  // bits), "CT" cycleSeconds, rows 1..23, and "FL" with the four links, link 4 and index
  // left empty (8FF), when the pages carry links.
  std::vector<TTtiFile> TtiFiles(int cycleSeconds = kDefaultCycleSeconds) const;
  // Writes TtiFiles() into folder (created when missing) as "<page>.tti"; answers the names
  // written. Throws tavrel::Error naming the file that cannot be written.
  std::vector<std::string> WriteTtiFolder(const std::string& folder,
                                          int cycleSeconds = kDefaultCycleSeconds) const;

  // Every page's packets one after the other, 42 bytes each, in page order: the header packet
  // and the row packets the page file holds (a row left out of a page file, 42 zero bytes, is
  // no packet and is left out of the stream), then a time-filling header (page FF of the same
  // magazine) that makes a receiver file the page at once.
  std::string T42Stream() const;
  // Writes T42Stream() to path, replacing the file atomically.
  void WriteT42File(const std::string& path) const;

 private:
  std::string exportDir_;
  std::vector<TExportedPage> pages_;
};

}  // namespace tavrel

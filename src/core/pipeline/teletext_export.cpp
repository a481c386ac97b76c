#include "pipeline/teletext_export.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>

#include "pipeline/control_file.h"
#include "pipeline/control_file_reader.h"
#include "support/error.h"
#include "support/file_utils.h"

namespace tavrel {

namespace {

// The four data bits of a Hamming 8/4 code byte (D1..D4 at bit positions 1, 3, 5 and 7). The
// page files are our own, written by the encoder, so no correction is attempted here.
constexpr int HammingData(std::uint8_t coded) {
  return ((coded >> 1) & 1) | ((coded >> 3) & 1) << 1 | ((coded >> 5) & 1) << 2 |
         ((coded >> 7) & 1) << 3;
}
static_assert(HammingData(kHamming84[0xA]) == 0xA && HammingData(kHamming84[0x5]) == 0x5);

// The sub-code S4 S3 S2 S1 of a header packet as one 16-bit value (S1 in the low digit).
int SubCodeOfHeader(const std::uint8_t* header) {
  const int s1 = HammingData(header[4]);
  const int s2 = HammingData(header[5]) & 0x7;
  const int s3 = HammingData(header[6]);
  const int s4 = HammingData(header[7]) & 0x3;
  return s4 << 12 | s3 << 8 | s2 << 4 | s1;
}

// The inserters' page status of a header packet: C5..C14 at bits 0..9, C4 at bit 14 and the
// transmit flag at bit 15, which every generated page has.
int PageStatusOfHeader(const std::uint8_t* header) {
  const int erase = HammingData(header[5]) >> 3;              // C4
  const int newsflashSubtitle = HammingData(header[7]) >> 2;  // C5, C6
  const int controlC7toC10 = HammingData(header[8]);          // C7..C10
  const int controlC11toC14 = HammingData(header[9]);         // C11..C14
  return 0x8000 | erase << 14 | controlC11toC14 << 6 | controlC7toC10 << 2 | newsflashSubtitle;
}

// A receiver files a page when the next page header of its magazine arrives. Sub-pages of one
// page follow each other in the stream, and a decoder may take a header of the same page for
// a repeat; so every page is closed at once by a time-filling header: page FF of the same
// magazine, sub-code 0, the page's control bits C7..C14, and blanks for its display part.
std::array<std::uint8_t, kPacketBytes> TimeFillingHeader(const std::uint8_t* header) {
  std::array<std::uint8_t, kPacketBytes> packet{};
  std::copy(header, header + 10, packet.begin());         // address, control bytes
  packet[2] = kHamming84[0xF];                            // page units
  packet[3] = kHamming84[0xF];                            // page tens
  for (int i = 4; i < 8; ++i) packet[i] = kHamming84[0];  // sub-code, C4..C6 cleared
  std::fill(packet.begin() + 10, packet.end(), kOddParity[0x20]);
  return packet;
}

// A whole decimal number, or -1.
long long WholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 9) return -1;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The links of "Links=": four whole numbers separated by blanks.
std::array<int, 4> ParseLinks(const std::string& value, const std::string& controlPath,
                              const std::string& section) {
  std::istringstream words(value);
  std::array<int, 4> links{};
  std::string word;
  std::size_t count = 0;
  while (words >> word) {
    const long long link = WholeNumber(word);
    if (count >= links.size() || link < 0) {
      throw FileError(controlPath,
                      "entry [" + section + "]: \"Links=" + value + "\" is not four page numbers");
    }
    links[count++] = static_cast<int>(link);
  }
  if (count != links.size()) {
    throw FileError(controlPath,
                    "entry [" + section + "]: \"Links=" + value + "\" is not four page numbers");
  }
  return links;
}

// A decimal page number 100..899 read as the inserters' hexadecimal address: 101 is 0x101.
int PageAddressOf(int number) { return std::stoi(std::to_string(number), nullptr, 16); }

}  // namespace

TTeletextExport::TTeletextExport(const std::string& exportDir) : exportDir_(exportDir) {
  const std::string controlPath = exportDir + kControlFileName;
  if (!PathExists(controlPath)) {
    throw FileError(controlPath, "no such file: generate the pages first");
  }
  const TPTxtControlFile control(controlPath);
  for (const std::string& section : control.PageSections()) {
    const std::size_t dot = section.find('.');
    const long long number = WholeNumber(section.substr(0, dot));
    const long long subPage = dot == std::string::npos ? -1 : WholeNumber(section.substr(dot + 1));
    if (!IsBroadcastPageNumber(number) || subPage < 0 || subPage > 9999) {
      throw FileError(controlPath, "entry [" + section + "] is not a page and sub-page number");
    }
    const TControlEntry entry = control.Entry(section);
    TExportedPage page;
    page.Number = static_cast<int>(number);
    page.SubPage = static_cast<int>(subPage);
    page.FileName = entry.FileName;
    if (page.FileName.empty()) {
      throw FileError(controlPath, "entry [" + section + "] names no page file of the folder");
    }
    if (entry.Links) page.Links = ParseLinks(*entry.Links, controlPath, section);
    const std::string pagePath = exportDir + page.FileName;
    const std::string bytes = ReadFileBytes(pagePath, kPagRecordBytes);
    if (bytes.size() != page.Record.size()) {
      throw FileError(pagePath, "not a broadcast page: " + std::to_string(bytes.size()) +
                                    " bytes, a page has " + std::to_string(kPagRecordBytes));
    }
    std::memcpy(page.Record.data(), bytes.data(), page.Record.size());
    pages_.push_back(std::move(page));
  }
}

std::vector<TTtiFile> TTeletextExport::TtiFiles(int cycleSeconds) const {
  std::vector<TTtiFile> files;
  int currentNumber = -1;
  for (const TExportedPage& exported : pages_) {
    if (exported.Number != currentNumber) {
      files.emplace_back();
      files.back().Description = "Page " + std::to_string(exported.Number);
      currentNumber = exported.Number;
    }
    TTtiPage page;
    page.PageAddress = PageAddressOf(exported.Number);
    page.HasPageNumber = true;
    page.SubPageIndex = exported.SubPage;
    const std::uint8_t* header = exported.Record.data();
    page.SubCode = SubCodeOfHeader(header);
    page.PageStatus = PageStatusOfHeader(header);
    page.CycleTime = cycleSeconds;
    page.CycleMode = 'T';
    for (int row = 1; row < kPageRows; ++row) {
      const std::uint8_t* packet = exported.Record.data() + row * kPacketBytes;
      for (int column = 0; column < kPageColumns; ++column) {
        // A row the page file leaves out (zero bytes) is a row of spaces on screen.
        const std::uint8_t code = packet[2 + column] & 0x7F;
        page.Cell(row, column) = code == 0 && packet[0] == 0 ? 0x20 : code;
      }
      page.HasRow[row] = true;
    }
    if (exported.Links) {
      std::array<int, 6> links;
      links.fill(TTtiFile::kNoLink);
      for (std::size_t i = 0; i < exported.Links->size(); ++i) {
        const int link = (*exported.Links)[i];
        links[i] = IsBroadcastPageNumber(link) ? PageAddressOf(link) : TTtiFile::kNoLink;
      }
      page.Links = links;
    }
    files.back().Pages.push_back(std::move(page));
  }
  return files;
}

std::vector<std::string> TTeletextExport::WriteTtiFolder(const std::string& folder,
                                                         int cycleSeconds) const {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw FileError(folder, "cannot create the folder: " + error.message());
  std::vector<std::string> written;
  for (const TTtiFile& file : TtiFiles(cycleSeconds)) {
    const std::string name = file.Pages.front().PageText() + ".tti";
    file.Save((std::filesystem::path(folder) / name).string());
    written.push_back(name);
  }
  return written;
}

std::string TTeletextExport::T42Stream() const {
  std::string stream;
  stream.reserve(pages_.size() * (kPagRecordBytes + kPacketBytes));
  for (const TExportedPage& page : pages_) {
    for (int row = 0; row < kPageRows; ++row) {
      const auto* packet = page.Record.data() + row * kPacketBytes;
      if (std::all_of(packet, packet + kPacketBytes, [](std::uint8_t b) { return b == 0; })) {
        continue;
      }
      stream.append(reinterpret_cast<const char*>(packet), kPacketBytes);
    }
    const std::array<std::uint8_t, kPacketBytes> closing = TimeFillingHeader(page.Record.data());
    stream.append(reinterpret_cast<const char*>(closing.data()), kPacketBytes);
  }
  return stream;
}

void TTeletextExport::WriteT42File(const std::string& path) const {
  ReplaceFileAtomically(path, T42Stream(), 0644);
}

}  // namespace tavrel

#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "page/page_record.h"
#include "render/page_view_rules.h"
#include "render/teletext_fonts.h"

namespace tavrel {

// One sub-page of the generation as "Control.dat" lists it.
struct TPreviewSubPage {
  std::string SubPage;  // the four digits after the page number in the section ("0000")
  TPrestPage Page;
  // The entry's prompts and links, when it has four of each.
  std::optional<TFastextValues> Fastext;
};

// A page number with its sub-pages in the order of their sections.
struct TPreviewPage {
  std::string Number;
  std::vector<TPreviewSubPage> SubPages;
};

// What identifies the state of an export folder without reading it: "Control.dat" (its inode,
// size and time) and the folder's own time, which every created or removed page file changes.
struct TExportSignature {
  bool ControlFileExists = false;
  std::uint64_t ControlInode = 0;
  std::int64_t ControlSize = 0;
  std::int64_t ControlTimeNs = 0;
  std::int64_t FolderTimeNs = 0;
  bool operator==(const TExportSignature&) const = default;
};
TExportSignature ReadExportSignature(const std::string& exportDir);

// The pages of one generation in Export/, read whole into memory, so that requests never touch
// the folder while a new generation is written. Pictures are drawn on first demand and kept
// with the generation, so a new generation drops the old pictures with it. Thread-safe.
class TPreviewGeneration {
 public:
  // Reads "Control.dat" of exportDir and every page file it names. The caller holds the home's
  // lock, so the folder is a complete generation. A page file that is missing or broken is left
  // out and named in Problems(); a missing "Control.dat" gives a generation without pages.
  // Throws tavrel::Error when "Control.dat" cannot be read.
  static std::shared_ptr<const TPreviewGeneration> Read(const std::string& exportDir,
                                                        std::uint64_t id);
  // A generation of the given pages (tests, benchmarks).
  TPreviewGeneration(std::uint64_t id, std::vector<TPreviewPage> pages);

  std::uint64_t Id() const { return id_; }
  const std::vector<TPreviewPage>& Pages() const { return pages_; }
  const std::vector<std::string>& Problems() const { return problems_; }
  // The page with this number, or null when the generation has none.
  const TPreviewPage* Find(std::string_view number) const;
  // The page before and after number in page order, empty at either end.
  std::string PreviousNumber(std::string_view number) const;
  std::string NextNumber(std::string_view number) const;

  // The PNG of a sub-page at scale 1 or 2, drawn once and then kept. Null when the page or
  // sub-page does not exist.
  std::shared_ptr<const std::string> Picture(std::string_view number, std::string_view subPage,
                                             int scale, const TFontSet& fonts) const;

 private:
  std::uint64_t id_;
  std::vector<TPreviewPage> pages_;
  std::vector<std::string> problems_;
  mutable std::mutex picturesMutex_;
  mutable std::map<std::string, std::shared_ptr<const std::string>> pictures_;
};

// The sub-page of a page, or null.
const TPreviewSubPage* FindSubPage(const TPreviewPage& page, std::string_view subPage);

}  // namespace tavrel

#include "serve/preview_generation.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "page/broadcast_page_file.h"
#include "pipeline/control_file.h"
#include "pipeline/control_file_reader.h"
#include "render/page_preview.h"
#include "render/png_writer.h"
#include "support/error.h"

namespace tavrel {
namespace {

std::int64_t TimeNs(const struct timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// "100.0000" splits into "100" and "0000"; a section without a dot is its own page number.
std::pair<std::string, std::string> SplitSection(const std::string& section) {
  const std::size_t dot = section.find('.');
  if (dot == std::string::npos) return {section, std::string()};
  return {section.substr(0, dot), section.substr(dot + 1)};
}

bool AllDigits(std::string_view text, std::size_t length) {
  return text.size() == length &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

TExportSignature ReadExportSignature(const std::string& exportDir) {
  TExportSignature signature;
  struct stat status {};
  if (::stat((exportDir + kControlFileName).c_str(), &status) == 0) {
    signature.ControlFileExists = true;
    signature.ControlInode = status.st_ino;
    signature.ControlSize = status.st_size;
    signature.ControlTimeNs = TimeNs(status.st_mtim);
  }
  if (::stat(exportDir.c_str(), &status) == 0) signature.FolderTimeNs = TimeNs(status.st_mtim);
  return signature;
}

TPreviewGeneration::TPreviewGeneration(std::uint64_t id, std::vector<TPreviewPage> pages)
    : id_(id), pages_(std::move(pages)) {}

std::shared_ptr<const TPreviewGeneration> TPreviewGeneration::Read(const std::string& exportDir,
                                                                   std::uint64_t id) {
  const TPTxtControlFile control(exportDir + kControlFileName);
  std::vector<TPreviewPage> pages;
  std::vector<std::string> problems;
  for (const std::string& section : control.PageSections()) {
    const TControlEntry entry = control.Entry(section);
    const auto [number, subPage] = SplitSection(section);
    // Only pages a receiver can choose (three digits, sub-pages of four): anything else in the
    // file could never be asked for and is not offered.
    if (!AllDigits(number, 3) || !AllDigits(subPage, 4)) continue;
    if (entry.FileName.empty()) {
      problems.push_back(section + ": no page file named");
      continue;
    }
    TPreviewSubPage sub;
    sub.SubPage = subPage;
    TPrestPageHeader header{};
    const std::string path = exportDir + entry.FileName;
    std::error_code ignored;
    try {
      if (!std::filesystem::is_regular_file(path, ignored) ||
          !ReadPagFile(path, sub.Page, header)) {
        problems.push_back(path + ": cannot read the page file");
        continue;
      }
    } catch (const Error& error) {
      problems.push_back(error.what());
      continue;
    }
    sub.Page.CharSet = static_cast<std::uint8_t>(entry.CharSet);
    // The window shows pages without a frame colour; so does the browser.
    sub.Page.FrameColor = 0;
    sub.Fastext = ParseFastextControl(entry.Prompts.value_or(""), entry.Links.value_or(""));
    if (pages.empty() || pages.back().Number != number) pages.push_back({number, {}});
    pages.back().SubPages.push_back(std::move(sub));
  }
  auto generation = std::make_shared<TPreviewGeneration>(id, std::move(pages));
  generation->problems_ = std::move(problems);
  return generation;
}

const TPreviewPage* TPreviewGeneration::Find(std::string_view number) const {
  const auto found = std::lower_bound(
      pages_.begin(), pages_.end(), number,
      [](const TPreviewPage& page, std::string_view wanted) { return page.Number < wanted; });
  return found != pages_.end() && found->Number == number ? &*found : nullptr;
}

std::string TPreviewGeneration::PreviousNumber(std::string_view number) const {
  const auto found = std::lower_bound(
      pages_.begin(), pages_.end(), number,
      [](const TPreviewPage& page, std::string_view wanted) { return page.Number < wanted; });
  return found == pages_.begin() ? std::string() : std::prev(found)->Number;
}

std::string TPreviewGeneration::NextNumber(std::string_view number) const {
  const auto found = std::upper_bound(
      pages_.begin(), pages_.end(), number,
      [](std::string_view wanted, const TPreviewPage& page) { return wanted < page.Number; });
  return found == pages_.end() ? std::string() : found->Number;
}

const TPreviewSubPage* FindSubPage(const TPreviewPage& page, std::string_view subPage) {
  for (const TPreviewSubPage& sub : page.SubPages) {
    if (sub.SubPage == subPage) return &sub;
  }
  return nullptr;
}

std::shared_ptr<const std::string> TPreviewGeneration::Picture(std::string_view number,
                                                               std::string_view subPage, int scale,
                                                               const TFontSet& fonts) const {
  if (scale != 1 && scale != 2) return nullptr;
  const TPreviewPage* page = Find(number);
  const TPreviewSubPage* sub = page != nullptr ? FindSubPage(*page, subPage) : nullptr;
  if (sub == nullptr) return nullptr;
  const std::string key =
      std::string(number) + "/" + std::string(subPage) + "@" + std::to_string(scale);
  {
    const std::lock_guard lock(picturesMutex_);
    if (const auto found = pictures_.find(key); found != pictures_.end()) return found->second;
  }
  // Drawn outside the lock: two first requests of one page draw it twice, which is cheaper than
  // making every other page wait.
  TPreviewOptions options;
  if (sub->Fastext) options.FastextRow = BuildFastextRow(sub->Fastext->Prompts);
  const TRgbaImage image = RenderPagePreview(sub->Page, fonts, options).Scaled(scale);
  const std::vector<std::uint8_t> png = EncodeIndexedPng(image, key);
  auto picture = std::make_shared<const std::string>(png.begin(), png.end());
  const std::lock_guard lock(picturesMutex_);
  return pictures_.emplace(key, std::move(picture)).first->second;
}

}  // namespace tavrel

#include "serve/preview_html.h"

#include <algorithm>
#include <array>
#include <vector>

#include "render/page_preview.h"
#include "render/page_renderer.h"
#include "render/page_text.h"
#include "support/windows1252.h"

namespace tavrel {
namespace {

// The keys that follow the fastext links, in prompt order (red, green, yellow, cyan).
constexpr std::array<const char*, 4> kFastextKeys = {"R", "G", "Y", "C"};
constexpr std::array<const char*, 4> kFastextColours = {"red", "green", "yellow", "cyan"};

// The picture's size at scale 1, from the renderer's 12 x 16 cells.
constexpr int kCellWidth = 12;
constexpr int kCellHeight = 16;

bool IsPageNumber(std::string_view text) {
  return text.size() == 3 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Page text (Windows-1252) as escaped UTF-8.
std::string PageTextHtml(std::string_view text) { return EscapeHtml(Windows1252ToUtf8(text)); }

std::string DocumentStart(std::string_view title) {
  std::string html;
  html += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  html += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  html += "<title>" + EscapeHtml(title) + " - Tavrel preview</title>\n";
  html += "<link rel=\"stylesheet\" href=\"/static/preview.css\">\n";
  html += "<script src=\"/static/preview.js\" defer></script>\n</head>\n<body>\n";
  return html;
}

constexpr std::string_view kDocumentEnd = "</body>\n</html>\n";

// A body row of the text layer, with its page numbers as links.
std::string BodyRowHtml(const std::string& line) {
  std::string html = "<div class=\"row\">";
  std::size_t at = 0;
  for (const TPageNumberLink& link : PageNumberLinks(line)) {
    const auto column = static_cast<std::size_t>(link.Column);
    html += PageTextHtml(std::string_view(line).substr(at, column - at));
    html += "<a href=\"" + PageAddress(link.Number) + "\">" + link.Number + "</a>";
    at = column + link.Number.size();
  }
  html += PageTextHtml(std::string_view(line).substr(at));
  html += "</div>\n";
  return html;
}

// The fastext row of the text layer: each prompt a link named by its page number, as the
// window's fastext row follows a click on a prompt.
std::string PromptRowHtml(const TFastextValues& fastext) {
  const TFastextRow row = BuildFastextRow(fastext.Prompts);
  const std::array<TFastextSpan, 4> spans = FastextSpans(row);
  std::string html = "<div class=\"row prompts\">";
  for (std::size_t i = 0; i < spans.size(); ++i) {
    std::string text;
    for (int column = spans[i].First; column < spans[i].End; ++column) {
      const auto cell = static_cast<char>(row[static_cast<std::size_t>(column)]);
      text += static_cast<unsigned char>(cell) < 0x20 ? ' ' : cell;
    }
    const std::string& link = fastext.Links[i];
    if (IsPageNumber(link)) {
      html += "<a href=\"" + PageAddress(link) + "\" aria-label=\"" + link + "\" class=\"" +
              kFastextColours[i] + "\" data-key=\"" + kFastextKeys[i] + "\">" + PageTextHtml(text) +
              "</a>";
    } else {
      html += PageTextHtml(text);
    }
  }
  html += "</div>\n";
  return html;
}

std::string Attribute(std::string_view name, std::string_view value) {
  return " " + std::string(name) + "=\"" + EscapeHtml(value) + "\"";
}

// The remote control under the page: previous and next page, the sub-pages, and the page
// number form, which works as plain HTML; the script adds the digit keys and the hold switch.
std::string RemoteHtml(const TPreviewGeneration& generation, std::string_view number,
                       const TPreviewPage* page, std::size_t subIndex) {
  std::string html = "<nav class=\"remote\" aria-label=\"Remote control\">\n<p class=\"steps\">";
  const std::string previous = generation.PreviousNumber(number);
  const std::string next = generation.NextNumber(number);
  if (!previous.empty()) {
    html += "<a href=\"" + PageAddress(previous) + "\" rel=\"prev\">&#9664; " + previous + "</a> ";
  }
  if (page != nullptr && page->SubPages.size() > 1) {
    const std::size_t count = page->SubPages.size();
    const auto& before = page->SubPages[(subIndex + count - 1) % count];
    const auto& after = page->SubPages[(subIndex + 1) % count];
    html += "<span class=\"subpages\">Sub-page <a href=\"" +
            SubPageAddress(page->Number, before.SubPage) +
            "\" aria-label=\"Previous sub-page\">&#8722;</a> <span class=\"position\">" +
            std::to_string(subIndex + 1) + "/" + std::to_string(count) + "</span> <a href=\"" +
            SubPageAddress(page->Number, after.SubPage) +
            "\" aria-label=\"Next sub-page\">+</a> <button type=\"button\" class=\"hold "
            "script-only\" aria-pressed=\"false\">Hold</button></span> ";
  }
  if (!next.empty()) {
    html += "<a href=\"" + PageAddress(next) + "\" rel=\"next\">" + next + " &#9654;</a>";
  }
  html += "</p>\n<form class=\"keypad\" action=\"/go\" method=\"get\">";
  html +=
      "<label>Page <input name=\"page\" inputmode=\"numeric\" pattern=\"[0-9]{3}\" "
      "maxlength=\"3\" size=\"3\" autocomplete=\"off\" required></label> "
      "<button type=\"submit\">Show</button>\n<span class=\"digits script-only\">";
  for (const char* digit : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"}) {
    html +=
        std::string("<button type=\"button\" data-digit=\"") + digit + "\">" + digit + "</button>";
  }
  html += "</span></form>\n";
  html +=
      "<p class=\"help\">Keys: three digits choose a page; &#8592; &#8594; the previous and next "
      "page; &#8593; &#8595; the sub-pages; H holds them; R, G, Y, C follow the coloured "
      "links.</p>\n</nav>\n";
  return html;
}

std::string ScreenStart(const TPreviewGeneration& generation, std::string_view number,
                        const TPreviewPage* page, const TPreviewSubPage* sub) {
  std::string subs;
  if (page != nullptr) {
    for (const TPreviewSubPage& each : page->SubPages) {
      subs += (subs.empty() ? "" : " ") + each.SubPage;
    }
  }
  std::string links;
  if (sub != nullptr && sub->Fastext) {
    for (const std::string& link : sub->Fastext->Links) {
      links += (links.empty() ? "" : " ") + (IsPageNumber(link) ? link : std::string("-"));
    }
  }
  std::string html = "<main id=\"screen\"";
  html += Attribute("data-generation", std::to_string(generation.Id()));
  html += Attribute("data-page", number);
  html += Attribute("data-sub", sub != nullptr ? sub->SubPage : "");
  html += Attribute("data-subs", subs);
  html += Attribute("data-previous", generation.PreviousNumber(number));
  html += Attribute("data-next", generation.NextNumber(number));
  html += Attribute("data-links", links);
  html += Attribute("data-cycle", std::to_string(kSubPageCycleSeconds));
  html += ">\n";
  return html;
}

}  // namespace

std::string PageAddress(std::string_view number) { return "/" + std::string(number); }

std::string SubPageAddress(std::string_view number, std::string_view subPage) {
  return "/" + std::string(number) + "/" + std::string(subPage);
}

std::string PictureAddress(std::uint64_t generation, std::string_view number,
                           std::string_view subPage, int scale) {
  return "/image/" + std::to_string(generation) + "/" + std::string(number) + "/" +
         std::string(subPage) + (scale == 2 ? "@2x" : "") + ".png";
}

std::string EscapeHtml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string SubPageDocument(const TPreviewGeneration& generation, const TPreviewPage& page,
                            const TPreviewSubPage& sub) {
  std::size_t subIndex = 0;
  while (subIndex < page.SubPages.size() && &page.SubPages[subIndex] != &sub) ++subIndex;
  const bool prompts = sub.Fastext.has_value();
  const int rows = kPreviewRows + (prompts ? 1 : 0);

  std::string html = DocumentStart("P" + page.Number);
  html += ScreenStart(generation, page.Number, &page, &sub);
  html += "<h1 class=\"header\"><span class=\"entry\">P" + page.Number + "</span>";
  if (page.SubPages.size() > 1) {
    html += " <span class=\"position\">" + std::to_string(subIndex + 1) + "/" +
            std::to_string(page.SubPages.size()) + "</span>";
  }
  html += "</h1>\n";
  html += std::string("<div class=\"page") + (prompts ? " with-prompts" : "") + "\">\n";
  html += "<img class=\"picture\"" +
          Attribute("src", PictureAddress(generation.Id(), page.Number, sub.SubPage, 1)) +
          Attribute("srcset",
                    PictureAddress(generation.Id(), page.Number, sub.SubPage, 1) + " 1x, " +
                        PictureAddress(generation.Id(), page.Number, sub.SubPage, 2) + " 2x") +
          Attribute("width", std::to_string(kPageColumns * kCellWidth + 2 * kFrameThickness)) +
          Attribute("height", std::to_string(rows * kCellHeight + 2 * kFrameThickness)) +
          " alt=\"\">\n";
  html += "<div class=\"text\">\n";
  const std::string text = PageText(sub.Page, kPreviewFirstRow, kPageRows - 1);
  std::size_t start = 0;
  for (int row = kPreviewFirstRow; row < kPageRows; ++row) {
    const std::size_t end = text.find('\n', start);
    html += BodyRowHtml(text.substr(start, end == std::string::npos ? end : end - start));
    start = end == std::string::npos ? text.size() : end + 1;
  }
  if (prompts) html += PromptRowHtml(*sub.Fastext);
  html += "</div>\n</div>\n";
  html += RemoteHtml(generation, page.Number, &page, subIndex);
  html += "</main>\n";
  html += kDocumentEnd;
  return html;
}

std::string MissingPageDocument(const TPreviewGeneration& generation, std::string_view number) {
  std::string html = DocumentStart(number.empty() ? "No pages" : "P" + std::string(number));
  html += ScreenStart(generation, number, nullptr, nullptr);
  html += "<h1 class=\"header\"><span class=\"entry\">P" +
          (number.empty() ? std::string("---") : EscapeHtml(number)) + "</span></h1>\n";
  html += "<div class=\"page missing\">\n<p class=\"search\">";
  if (number.empty()) {
    html += "No pages have been generated yet.";
  } else {
    html += "Page " + EscapeHtml(number) + " is not on air.";
  }
  html += "</p>\n";
  if (!generation.Pages().empty()) {
    const std::string& first = generation.Pages().front().Number;
    html += "<p>First page: <a href=\"" + PageAddress(first) + "\">" + first + "</a></p>\n";
  }
  html += "</div>\n";
  html += RemoteHtml(generation, number, nullptr, 0);
  html += "</main>\n";
  html += kDocumentEnd;
  return html;
}

}  // namespace tavrel

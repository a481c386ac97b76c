#include "support/dialog_layout.h"

#include <algorithm>

namespace tavrel {

namespace {

// The result of each button, in TMsgDlgBtn order; Help closes nothing.
constexpr std::array<TModalResult, kMsgDlgBtnCount> kButtonResults = {
    TModalResult::Yes,    TModalResult::No,    TModalResult::OK,
    TModalResult::Cancel, TModalResult::Abort, TModalResult::Retry,
    TModalResult::Ignore, TModalResult::All,   TModalResult::None};

bool Has(TMsgDlgButtons buttons, TMsgDlgBtn button) { return (buttons & ButtonBit(button)) != 0; }

// The paragraphs of a text: split at LF, at CR LF and at a CR alone.
std::vector<std::string_view> Paragraphs(std::string_view text) {
  std::vector<std::string_view> paragraphs;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n' && text[i] != '\r') continue;
    paragraphs.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  paragraphs.push_back(text.substr(start));
  return paragraphs;
}

// Where the UTF-8 character after the one that starts at `at` begins.
std::size_t NextCharacter(std::string_view text, std::size_t at) {
  ++at;
  while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
  return at;
}

// Appends the lines of one paragraph, greedily filled word by word.
void WrapParagraph(std::string_view paragraph, int maxWidth,
                   const std::function<int(std::string_view)>& measure,
                   std::vector<std::string>& lines) {
  std::string line;
  bool lineStarted = false;
  std::size_t start = 0;
  while (start <= paragraph.size()) {
    std::size_t end = paragraph.find(' ', start);
    if (end == std::string_view::npos) end = paragraph.size();
    std::string_view word = paragraph.substr(start, end - start);
    start = end + 1;
    if (lineStarted) {
      const std::string candidate = line + " " + std::string(word);
      if (measure(candidate) <= maxWidth) {
        line = candidate;
        continue;
      }
      lines.push_back(line);
      line.clear();
    }
    lineStarted = true;
    // A word too wide for a line of its own goes in pieces that each fill a line.
    while (!word.empty() && measure(word) > maxWidth) {
      std::size_t cut = NextCharacter(word, 0);
      while (cut < word.size()) {
        const std::size_t next = NextCharacter(word, cut);
        if (measure(word.substr(0, next)) > maxWidth) break;
        cut = next;
      }
      if (cut >= word.size()) break;
      lines.emplace_back(word.substr(0, cut));
      word.remove_prefix(cut);
    }
    line = std::string(word);
  }
  lines.push_back(line);
}

// The width of a row of n buttons with the margins the row keeps on both sides.
int ButtonRowWidth(int count) { return count * (kMessageButtonWidth + kMessageButtonSpacing) + 22; }

}  // namespace

std::vector<TMessageButton> MessageBoxButtons(TMsgDlgButtons buttons) {
  std::vector<TMessageButton> row;
  const bool cancelWanted = Has(buttons, TMsgDlgBtn::Cancel);
  for (int index = 0; index < kMsgDlgBtnCount; ++index) {
    const auto button = static_cast<TMsgDlgBtn>(index);
    if (!Has(buttons, button)) continue;
    TMessageButton entry{button, kButtonResults[static_cast<std::size_t>(index)]};
    entry.IsDefault = button == TMsgDlgBtn::Yes || button == TMsgDlgBtn::OK;
    entry.IsCancel = button == TMsgDlgBtn::Cancel || (button == TMsgDlgBtn::No && !cancelWanted) ||
                     (button == TMsgDlgBtn::OK && !cancelWanted);
    row.push_back(entry);
  }
  return row;
}

TModalResult MessageBoxEscapeResult(TMsgDlgButtons buttons) {
  // With both No and Cancel only Cancel answers Escape, so the last cancel button decides.
  TModalResult result = TModalResult::None;
  for (const TMessageButton& button : MessageBoxButtons(buttons)) {
    if (button.IsCancel) result = button.Result;
  }
  return result;
}

std::vector<std::string> WrapMessageText(std::string_view text, int maxWidth,
                                         const std::function<int(std::string_view)>& measure) {
  std::vector<std::string> lines;
  for (std::string_view paragraph : Paragraphs(text)) {
    WrapParagraph(paragraph, maxWidth, measure, lines);
  }
  return lines;
}

TMessageBoxLayout LayoutMessageBox(TSize text, TSize icon, int buttonCount) {
  const bool hasIcon = icon.Width > 0 && icon.Height > 0;
  if (!hasIcon) icon = {};
  buttonCount = std::max(buttonCount, 0);
  TMessageBoxLayout layout;
  const int textNeeds = text.Width + 20 + (hasIcon ? icon.Width + 10 : 0);
  layout.Client.Width = std::max({150, textNeeds, ButtonRowWidth(buttonCount)});
  layout.Client.Height =
      std::max(55, kMessageButtonHeight + 18 + std::max(text.Height + 10, icon.Height + 10));

  // The shorter of text and icon is centred on the middle of the taller one.
  int textTop = 10;
  int iconTop = 10;
  if (hasIcon && icon.Height > text.Height) {
    textTop = iconTop + icon.Height / 2 - text.Height / 2;
  } else {
    iconTop = textTop + text.Height / 2 - icon.Height / 2;
  }
  if (hasIcon) layout.Icon = {10, iconTop, icon.Width, icon.Height};
  const int textLeft = hasIcon ? layout.Icon.Right() + 10 : 10;
  layout.Text = {textLeft, textTop, text.Width, text.Height};

  const int lowest = std::max(layout.Text.Bottom(), hasIcon ? layout.Icon.Bottom() : 0);
  const int buttonTop = lowest + 10;
  int left = layout.Client.Width / 2 - ButtonRowWidth(buttonCount) / 2 + 15;
  for (int index = 0; index < buttonCount; ++index) {
    layout.Buttons.push_back({left, buttonTop, kMessageButtonWidth, kMessageButtonHeight});
    left += kMessageButtonWidth + kMessageButtonSpacing;
  }
  return layout;
}

TPoint PlaceMessageBox(TSize window, TRect screen, int left, int top) {
  TPoint corner{screen.Left + (screen.Width - window.Width) / 2,
                screen.Top + (screen.Height - window.Height) / 2};
  if (left != -1) corner.X = left;
  if (top != -1) corner.Y = top;
  return corner;
}

TButtonArrangement ArrangeButtons(bool showHelp, bool closeOnly, int panelWidth) {
  // Buttons fill the panel from its right edge, 80 pixels apart, Help outermost.
  TButtonArrangement arrangement;
  arrangement.OkCaptionIsClose = closeOnly;
  arrangement.HelpVisible = showHelp;
  arrangement.CancelVisible = !closeOnly;
  int left = panelWidth - 81;
  if (showHelp) {
    arrangement.HelpLeft = left;
    left -= 80;
  }
  if (!closeOnly) {
    arrangement.CancelLeft = left;
    left -= 80;
  }
  arrangement.OkLeft = left;
  return arrangement;
}

std::vector<TPoint> CheckMarkPixels(TRect rectangle) {
  const int x = rectangle.Left + (rectangle.Width - 9) / 2;
  const int y = rectangle.Top + (rectangle.Height - 6) / 2;
  std::vector<TPoint> pixels;
  for (int stroke = 0; stroke < 3; ++stroke) {
    // Down-right from (x, y+2+stroke) to the corner (x+3, y+5+stroke), then up-right to
    // (x+9, y-1+stroke). The corner is drawn by the second stroke; the last point by none.
    for (int step = 0; step < 3; ++step) pixels.push_back({x + step, y + 2 + stroke + step});
    for (int step = 0; step < 6; ++step) pixels.push_back({x + 3 + step, y + 5 + stroke - step});
  }
  return pixels;
}

}  // namespace tavrel

#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/language_texts.h"

namespace tavrel {

// The geometry that the shared dialogs follow, as plain numbers so that it is the same on every
// platform and tests can check it to the pixel. All sizes are in pixels at 96 dots per inch;
// the window toolkit scales them to the screen.

struct TPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TPoint&) const = default;
};

struct TSize {
  int Width = 0;
  int Height = 0;
  bool operator==(const TSize&) const = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  int Right() const { return Left + Width; }
  int Bottom() const { return Top + Height; }
  bool operator==(const TRect&) const = default;
};

// The buttons a message box may show, as a set: one bit per TMsgDlgBtn.
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons ButtonBit(TMsgDlgBtn button) { return 1u << static_cast<int>(button); }
inline constexpr TMsgDlgButtons kButtonsOk = ButtonBit(TMsgDlgBtn::OK);
inline constexpr TMsgDlgButtons kButtonsYesNoCancel =
    ButtonBit(TMsgDlgBtn::Yes) | ButtonBit(TMsgDlgBtn::No) | ButtonBit(TMsgDlgBtn::Cancel);

// What closed a message box; the Help button closes nothing.
enum class TModalResult { None, OK, Cancel, Abort, Retry, Ignore, Yes, No, All };

// One button of a message box, in the order the box shows them.
struct TMessageButton {
  TMsgDlgBtn Button = TMsgDlgBtn::OK;
  TModalResult Result = TModalResult::None;
  bool IsDefault = false;  // pressed by Enter
  bool IsCancel = false;   // pressed by Escape
  bool operator==(const TMessageButton&) const = default;
};

// The requested buttons in the fixed order Yes, No, OK, Cancel, Abort, Retry, Ignore, All,
// Help. Yes and OK answer Enter; No and Cancel answer Escape, except No when Cancel is there
// too (so Escape on a save prompt cancels rather than discards) and OK alone also answers
// Escape, so a plain message can always be dismissed with it.
std::vector<TMessageButton> MessageBoxButtons(TMsgDlgButtons buttons);

// What Escape answers (None: Escape does nothing) and what the window's close button answers.
TModalResult MessageBoxEscapeResult(TMsgDlgButtons buttons);
inline constexpr TModalResult kMessageBoxCloseResult = TModalResult::Cancel;

inline constexpr int kMessageButtonWidth = 73;
inline constexpr int kMessageButtonHeight = 25;
inline constexpr int kMessageButtonSpacing = 8;

// Where everything of a message box goes, in client coordinates.
struct TMessageBoxLayout {
  TSize Client;
  TRect Icon;  // empty (0 x 0) without an icon
  TRect Text;
  std::vector<TRect> Buttons;
};

// The lines a message box shows its UTF-8 text in, each at most `maxWidth` wide as `measure`
// measures a piece of text: a line break (LF, CR LF, or a CR alone, as some servers and older
// texts write) starts a new line; lines are wrapped between words; and a word wider than
// maxWidth (a file path, a name without spaces) is broken between characters, so that the box
// never grows wider than the limit. Every line holds at least one character, however narrow
// the limit; a UTF-8 sequence is never split.
std::vector<std::string> WrapMessageText(std::string_view text, int maxWidth,
                                         const std::function<int(std::string_view)>& measure);

// The layout of a message box whose text, word-wrapped within half the screen width, measures
// `text`, with an icon of size `icon` (0 x 0 for the custom kind, which has none) and
// `buttonCount` buttons in one row.
TMessageBoxLayout LayoutMessageBox(TSize text, TSize icon, int buttonCount);

// The top-left corner of a window of size `window` on a screen area: centred on it, then the
// given left and top (each -1 to keep the centred value).
TPoint PlaceMessageBox(TSize window, TRect screen, int left, int top);

// The button row of the shared base dialog: which of OK, Cancel and Help show, where their left
// edges sit in a panel `panelWidth` wide, and whether OK reads "Close" instead of "OK".
struct TButtonArrangement {
  bool OkCaptionIsClose = false;
  bool CancelVisible = true;
  bool HelpVisible = true;
  int OkLeft = 0;
  int CancelLeft = 0;  // meaningful only when visible
  int HelpLeft = 0;
  bool operator==(const TButtonArrangement&) const = default;
};
TButtonArrangement ArrangeButtons(bool showHelp, bool closeOnly, int panelWidth);

// The pixels of a check mark three pixels thick centred in the rectangle: three polylines of
// two 45-degree strokes each, whose end points are left out as line drawing usually does.
std::vector<TPoint> CheckMarkPixels(TRect rectangle);

}  // namespace tavrel

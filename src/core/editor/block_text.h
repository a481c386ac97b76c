#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/edit_grid.h"
#include "page/page_record.h"

namespace tavrel {

// Block-text mode: the text block's cells edited as plain wrapped text in a field over the
// frame, and written back into the grid when the mode is left.

// Most characters one clipboard copy or paste carries.
inline constexpr std::size_t kBlockTextClipboardLimit = 1023;

// Whether the block holds codes that the field cannot show and the write-back would lose:
// 0 or 8..31. The alpha colours 1..7 are kept in block text.
bool BlockHasAttributes(const TEditGrid& grid, const TTextBlock& block);

// The block's rows as the field's lines: bytes 1..7 and 32..127 as they are, every other byte a
// space, trailing bytes below 33 removed.
std::vector<std::string> BlockTextLines(const TEditGrid& grid, const TTextBlock& block);

// Writes the field's lines back: line i into block row i, padded with spaces to the block
// width (longer lines cut, missing lines blank). A space does not overwrite a cell holding a
// code 0..9, so colour, flash and steady codes stay where they were.
void WriteBackBlockText(TEditGrid& grid, const TTextBlock& block,
                        const std::vector<std::string>& lines);

// A key pressed in the field, as far as the block's limits care.
enum class TBlockTextKey {
  PageDown,
  Down,
  Right,
  Enter,
  LineFeed,
  Backspace,
  Tab,
  Character,
  Other
};

// Where the field's caret is: its line (0-based, counting wrapped lines) and its position in
// that line.
struct TBlockTextCaret {
  int Line = 0;
  int Column = 0;
};

// Whether the field takes a key. On the block's last line nothing may add a line or reach past
// the block width: Page Down, Down, Enter and line feed are dropped, and Right and typed
// characters when the caret is at or past the width; Backspace always works. Ctrl+C and Ctrl+V
// typed as characters (3, 22) are dropped everywhere: they are copy and paste. Tab (the key, or
// a typed 9) is dropped everywhere: byte 9 in the block is a Steady code the field does not
// show, which would reach the template unseen.
bool BlockTextKeyAccepted(TBlockTextKey key, std::uint8_t typed, TBlockTextCaret caret,
                          const TTextBlock& block);

// Selected field text for the system clipboard: the national positions (35, 36, 91..96,
// 123..126) as the page's character set shows them. At most 1023 characters are taken.
std::string BlockTextForClipboard(std::string_view selected, int charSet);
// Clipboard text for the field: the national positions and every byte from 123 up as their
// teletext codes for the page's character set; a control byte other than a line break or an
// alpha colour code (1..7, as the field copies them) becomes a space, since the block would
// keep it as a hidden attribute (a Tab would be Steady). At most 1023 characters are taken.
std::string BlockTextFromClipboard(std::string_view clipboard, int charSet);

// The face the field shows its text in: the teletext screen face of the character set.
const char* BlockTextFaceName(int charSet);

}  // namespace tavrel

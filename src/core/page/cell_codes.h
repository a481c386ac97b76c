#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tavrel {

// Cell bytes 0x00..0x1F are teletext spacing attributes; 0x20..0x7F are characters, or mosaics
// while a mosaic colour is in force. Bit 7 carries no meaning for a page.
inline constexpr std::uint8_t kCellValueMask = 0x7F;
inline constexpr std::uint8_t kFirstCharacterCode = 0x20;
inline constexpr std::uint8_t kSpaceCode = 0x20;

// Alphanumeric colours are 0x00 + colour number, mosaic colours 0x10 + colour number.
inline constexpr std::uint8_t kAlphaBlack = 0x00;
inline constexpr std::uint8_t kAlphaRed = 0x01;
inline constexpr std::uint8_t kAlphaGreen = 0x02;
inline constexpr std::uint8_t kAlphaYellow = 0x03;
inline constexpr std::uint8_t kAlphaBlue = 0x04;
inline constexpr std::uint8_t kAlphaMagenta = 0x05;
inline constexpr std::uint8_t kAlphaCyan = 0x06;
inline constexpr std::uint8_t kAlphaWhite = 0x07;
inline constexpr std::uint8_t kFlash = 0x08;
inline constexpr std::uint8_t kSteady = 0x09;
inline constexpr std::uint8_t kEndBox = 0x0A;
inline constexpr std::uint8_t kStartBox = 0x0B;
inline constexpr std::uint8_t kNormalHeight = 0x0C;
inline constexpr std::uint8_t kDoubleHeight = 0x0D;
inline constexpr std::uint8_t kDoubleWidth = 0x0E;  // presented as normal height
inline constexpr std::uint8_t kDoubleSize = 0x0F;   // presented as double height
inline constexpr std::uint8_t kGraphicBlack = 0x10;
inline constexpr std::uint8_t kGraphicRed = 0x11;
inline constexpr std::uint8_t kGraphicGreen = 0x12;
inline constexpr std::uint8_t kGraphicYellow = 0x13;
inline constexpr std::uint8_t kGraphicBlue = 0x14;
inline constexpr std::uint8_t kGraphicMagenta = 0x15;
inline constexpr std::uint8_t kGraphicCyan = 0x16;
inline constexpr std::uint8_t kGraphicWhite = 0x17;
inline constexpr std::uint8_t kConceal = 0x18;
inline constexpr std::uint8_t kContiguousGraphics = 0x19;
inline constexpr std::uint8_t kSeparatedGraphics = 0x1A;
inline constexpr std::uint8_t kEscape = 0x1B;  // no effect on presentation
inline constexpr std::uint8_t kBlackBackground = 0x1C;
inline constexpr std::uint8_t kNewBackground = 0x1D;
inline constexpr std::uint8_t kHoldGraphics = 0x1E;
inline constexpr std::uint8_t kReleaseGraphics = 0x1F;

// Colour numbers, the same everywhere in the system.
inline constexpr int kColorBlack = 0;
inline constexpr int kColorRed = 1;
inline constexpr int kColorGreen = 2;
inline constexpr int kColorYellow = 3;
inline constexpr int kColorBlue = 4;
inline constexpr int kColorMagenta = 5;
inline constexpr int kColorCyan = 6;
inline constexpr int kColorWhite = 7;

constexpr bool IsControlCode(std::uint8_t cell) { return (cell & kCellValueMask) < 0x20; }
constexpr bool IsAlphaColorCode(std::uint8_t cell) { return (cell & kCellValueMask) <= 0x07; }
constexpr bool IsGraphicColorCode(std::uint8_t cell) {
  return (cell & kCellValueMask) >= 0x10 && (cell & kCellValueMask) <= 0x17;
}

// Maps a control code (index 0x00..0x1F) to the English caption the editor shows for it; the
// two codes without a caption of their own (double width, double size) map to an empty text.
// The captions are the system's own texts, spelling included.
inline constexpr std::array<std::string_view, 32> kControlCodeCaptions = {
    "Alpha Black",
    "Alpha Red",
    "Alpha Green",
    "Alpha Yellow",
    "Alpha Blue",
    "Alpha Magenta",
    "Alpha Cyan",
    "Alpha White",
    "Flash",
    "Steady",
    "End Box",
    "Start Box",
    "Normal Height",
    "Double Height",
    "",
    "",
    "Graphic Black",
    "Graphic Red",
    "Graphic Green",
    "Graphic Yellow",
    "Graphic Blue",
    "Graphic Magenta",
    "Graphic Cyan",
    "Graphic White",
    "Conceal",
    "Contiguous Graphics",
    "Seperated Graphics",
    "ESC",
    "Black Background",
    "New Background",
    "Hold Graphics",
    "Release Graphics",
};

// Menu captions that stand for the eight colour codes of each kind; the runs of spaces align
// the shortcut keys in the menu.
inline constexpr std::string_view kAlphaColorMenuCaption = "Font Color           F1..F8";
inline constexpr std::string_view kGraphicColorMenuCaption = "Graphic Color    Ctrl+F1..F8";

// English colour names by colour number.
inline constexpr std::array<std::string_view, 8> kColorNames = {
    "Black", "Red", "Green", "Yellow", "Blue", "Magenta", "Cyan", "White"};

// The caption of a control code, or an empty text for a character code.
constexpr std::string_view ControlCodeCaption(std::uint8_t cell) {
  const std::uint8_t code = cell & kCellValueMask;
  return code < kControlCodeCaptions.size() ? kControlCodeCaptions[code] : std::string_view();
}

}  // namespace tavrel

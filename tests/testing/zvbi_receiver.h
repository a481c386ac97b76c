#pragma once

// A real teletext decoder, libzvbi, fed a T42 stream packet by packet as a receiver would get
// it, and what a level 1 decoder shows for a row of cells: the independent reader of our pages.
#include <libzvbi.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace tavrel::testing {

// The decoder's side: takes packets, collects the pages it announces complete.
class TZvbiReceiver {
 public:
  TZvbiReceiver() : decoder_(vbi_decoder_new()) {
    vbi_event_handler_register(decoder_, VBI_EVENT_TTX_PAGE, &TZvbiReceiver::OnEvent, this);
  }
  ~TZvbiReceiver() { vbi_decoder_delete(decoder_); }

  void Feed(const std::string& stream) {
    for (std::size_t offset = 0; offset + 42 <= stream.size(); offset += 42) {
      vbi_sliced line{};
      line.id = VBI_SLICED_TELETEXT_B;
      line.line = 0;
      std::memcpy(line.data, stream.data() + offset, 42);
      // One packet a frame, 25 frames a second: the decoder takes a larger or smaller step
      // between frames for a channel change or lost frames and starts afresh.
      time_ += 0.04;
      vbi_decode(decoder_, &line, 1, time_);
    }
  }

  // The unicode characters of rows 1..23 of a page the decoder holds.
  std::vector<std::u16string> Rows(int pgno, int subno) {
    vbi_page page{};
    std::vector<std::u16string> rows;
    if (!vbi_fetch_vt_page(decoder_, &page, pgno, subno, VBI_WST_LEVEL_1, 25, false)) return rows;
    for (int row = 1; row < 24; ++row) {
      std::u16string text;
      for (int column = 0; column < 40; ++column) {
        text += static_cast<char16_t>(page.text[row * page.columns + column].unicode);
      }
      rows.push_back(text);
    }
    vbi_unref_page(&page);
    return rows;
  }

  std::vector<std::pair<int, int>> Announced;

 private:
  static void OnEvent(vbi_event* event, void* self) {
    static_cast<TZvbiReceiver*>(self)->Announced.emplace_back(event->ev.ttx_page.pgno,
                                                              event->ev.ttx_page.subno);
  }

  vbi_decoder* decoder_;
  double time_ = 0;
};

// What a level 1 decoder shows for a row of cells in a Latin set away from the national
// positions: spacing control codes as blanks, letters as themselves, and in graphics mode the
// mosaic cells as the decoder's private mosaic characters (U+EE00 + code; separated mosaics,
// after the code 0x1A, 0x20 lower).
inline std::u16string ShownRow(const std::string& cells) {
  std::u16string shown;
  bool graphics = false;
  bool separated = false;
  for (char c : cells) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x20) {
      if (code <= 0x07) graphics = false;
      if (code >= 0x10 && code <= 0x17) graphics = true;
      if (code == 0x19) separated = false;
      if (code == 0x1A) separated = true;
      shown += u' ';
    } else if (graphics && (code < 0x40 || code >= 0x60)) {
      shown += static_cast<char16_t>(0xEE00 + code - (separated ? 0x20 : 0));
    } else {
      shown += static_cast<char16_t>(code);
    }
  }
  return shown;
}

}  // namespace tavrel::testing

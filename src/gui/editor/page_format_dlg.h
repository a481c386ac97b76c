#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "page/page_format.h"
#include "page/page_record.h"
#include "support/qor_button_dlg.h"

class QButtonGroup;
class QCheckBox;
class QLabel;

namespace tavrel::gui {

// The dialog's live sample: rows 1 to 4 of a page, 26 columns, in the 12 x 16 teletext font on
// black, drawn through the core renderer. The dialog needs only SetPage and SetShowCodes of
// it, so the page view control can take its place without touching the dialog's logic.
class TPageFormatSample : public QWidget {
 public:
  static constexpr int kColumns = 26;
  static constexpr int kRows = 4;
  static constexpr int kFirstRow = 1;

  explicit TPageFormatSample(QWidget* parent = nullptr);

  void SetPage(const TPrestPage& page);
  void SetShowCodes(bool showCodes);
  // The picture as painted, for the tests and the gallery.
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Render();

  TPrestPage page_ = TPrestPage::Blank();
  bool showCodes_ = false;
  QImage picture_;
};

// The page format dialog: a foreground colour, a background colour and a style, turned into the
// shortest row prefix of control codes, with a live sample. The editor hands it the current
// prefix and show-codes flag and, on OK, takes the prefix back.
class TDlgPageFormat : public TQorButtonDlg {
 public:
  static constexpr int kClientWidth = 341;
  static constexpr int kClientHeight = 299;
  static constexpr int kHelpContext = 11;
  // Width of the black strip over the sample's right edge.
  static constexpr int kSampleEdgeWidth = 6;

  explicit TDlgPageFormat(QWidget* parent = nullptr);

  // Reads an existing prefix into the three choices.
  void SetPrefix(const std::string& prefix);
  // The prefix of the current choices (control-code bytes, black as 8).
  std::string Prefix() const { return BuildFormatPrefix(format_); }
  TPageFormat Format() const { return format_; }
  void SetFormat(const TPageFormat& format);
  bool ShowCodes() const { return showCodes_; }
  void SetShowCodes(bool showCodes);

  // Called with kHelpContext when Help is pressed; the template editor hides the button instead
  // (SetShowHelp(false)).
  std::function<void(int helpContext)> OnHelp;

  TPageFormatSample* Sample() const { return sample_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Selects the radio items from the choices, updates the count and redraws the sample.
  void Refresh();

  TPageFormat format_;
  bool showCodes_ = false;
  QButtonGroup* foreground_;
  QButtonGroup* background_;
  QButtonGroup* style_;
  QLabel* count_;
  QCheckBox* show_;
  TPageFormatSample* sample_;
};

}  // namespace tavrel::gui

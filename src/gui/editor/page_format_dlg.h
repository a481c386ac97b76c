#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "page/page_format.h"
#include "support/qor_button_dlg.h"

class QButtonGroup;
class QCheckBox;
class QLabel;

namespace tavrel::gui {
class TPrestView;
}

namespace tavrel::gui {

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

  // The live sample: rows 1 to 4 of the sample page, 26 columns, font size 3.
  TPrestView* Sample() const { return sample_; }
  static constexpr int kSampleColumns = 26;
  static constexpr int kSampleRows = 4;

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
  TPrestView* sample_;
};

}  // namespace tavrel::gui

#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <memory>
#include <vector>

#include "editor/block_text_field.h"
#include "editor/editor_canvas.h"
#include "editor/editor_mouse.h"
#include "editor/page_editor.h"
#include "editor/page_format_runner.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QToolButton;

namespace tavrel::gui {

// The teletext page editor window: tool bar, attribute panel, the page at its fixed place and
// a status bar of four panels. A modal form; its host writes the page record, shows it, and
// reads the page back when it closes (OK when the page changed, Cancel when it did not).
// Every rule lives in TPageEditor; this window turns keys, menus and buttons into its calls.
class TTxtEd : public QDialog {
 public:
  // `programFolder` holds the font files and txtfont1..6.fnt.
  explicit TTxtEd(const QString& programFolder, QWidget* parent = nullptr);
  ~TTxtEd() override;

  TPageEditor& Editor() { return *editor_; }
  const TPageEditor& Editor() const { return *editor_; }

  // Host operations: take a page record and reload; store the grid back; change detection.
  void SetPage(const TPrestPage& page, const TTextBlock& textBlock);
  void Reload();
  void StorePage();
  bool IsUnchanged() const { return editor_->IsUnchanged(); }

  // The host is the template editor: the page format dialog shows no Help button.
  bool TemplateHost = false;
  // The page format dialog the Foreground/Background Color command runs.
  TPageFormatRunner PageFormatRunner;

  TEditorCanvas* Canvas() const { return canvas_; }
  // The mouse over the page (text block frame, drawing tools) and the block-text field.
  TEditorMouse& Mouse() { return *mouse_; }
  TBlockTextField* BlockTextField() const { return blockTextField_; }
  // What a host window adds to: the tool bar frame and the File menu.
  QWidget* ToolBarFrame() const { return toolBar_; }
  QMenu* FileMenu() const { return fileMenu_; }

 protected:
  // Closing: the page is stored; the answer is OK when it changed, Cancel when not.
  void reject() override;

  // Writes the block-text field back into the grid and hides it; answers whether it was shown.
  bool CloseBlockTextField();
  // Writes the block-text field back into the grid and leaves it open, as it was: a file
  // command that then does not complete (a cancelled question or dialog, a failed save) finds
  // the editor still in block-text mode with its field, its caret and its undo. A command that
  // completes reloads the page, which opens the field afresh. Answers whether it was shown.
  bool WriteBackBlockTextField();

 private:
  void BuildMenus();
  void BuildToolBar(QWidget* client);
  void BuildAttributePanel(QWidget* client);
  void BuildStatusBar();
  QAction* AddAction(QMenu* menu, const char* name, const std::string& caption,
                     const QKeySequence& shortcut = {});
  // A command's tool button face (its icon text) and hint, set on its action.
  static void ShowOnButton(QAction* action, const QString& face, const QString& hint);
  // An attribute command's panel face: its swatch or label, with the code's name as the hint.
  void ShowOnAttributeButton(QAction* action);
  // The tool button of a command: its own object name and tag, the action's face and state.
  static QToolButton* ButtonFor(QWidget* parent, const char* name, QAction* action, int tag);

  void HandleKey(QKeyEvent* event);
  void RunCommand(std::uint8_t command);
  void SendAttribute(int tag);
  void ChooseMode(int mode);
  void ShowOutcome(const TEditOutcome& outcome);
  void Undo();
  void CutRows();
  void CopyRows();
  void DeleteRows();
  void PasteRows();
  void SelectAll();
  void FormatColors();
  void ChooseCharSet(int option);
  void SaveCharSetAsDefault();
  void RedrawAll();
  void RefreshMenus();
  void RefreshStatus();

  // Mouse, text block frame and block-text mode (txt_ed_mouse.cpp).
  void BuildMouseAndBlockText(const QString& programFolder);
  void HandleMouse(QMouseEvent* event);
  bool BlockTextActive() const;
  // Before a mode change: false when the operator refuses block-text mode; leaving block-text
  // mode writes the field back.
  bool PrepareModeChange(int mode);
  void AfterModeChange();
  void AfterReloadBlockText();
  void OpenBlockTextField();
  // Edit commands and alpha colours go to the field in block-text mode: true when they did.
  bool RouteToBlockText(void (TBlockTextField::*command)());
  bool InsertBlockTextColour(int tag);
  std::unique_ptr<TEditorMouse> mouse_;
  TBlockTextField* blockTextField_ = nullptr;
  // A key handed on to the field comes back to the page if the field does not use it.
  bool forwardingKey_ = false;

  std::unique_ptr<TPageEditor> editor_;
  TEditorCanvas* canvas_ = nullptr;
  std::array<std::string, 32> controlCodeNames_;
  std::vector<QAction*> modeActions_;
  std::vector<QAction*> attributeActions_;
  std::vector<std::pair<QAction*, int>> charSetActions_;
  QWidget* toolBar_ = nullptr;
  QMenu* fileMenu_ = nullptr;
  QMenu* attributesMenu_ = nullptr;
  QAction* closeAction_ = nullptr;
  QAction* undoAction_ = nullptr;
  QAction* cutAction_ = nullptr;
  QAction* copyAction_ = nullptr;
  QAction* pasteAction_ = nullptr;
  QAction* deleteAction_ = nullptr;
  QAction* insertModeAction_ = nullptr;
  QAction* inverseDrawingAction_ = nullptr;
  QAction* showCodesAction_ = nullptr;
  QAction* gridAction_ = nullptr;
  std::array<QLabel*, 4> statusPanels_{};
};

}  // namespace tavrel::gui

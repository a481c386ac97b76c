// The editor window's commands: one action per command, shown in its menu and on its tool
// button, and the one place that enables and checks them from the editor's state.
#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QToolButton>

#include "editor/editor_texts.h"
#include "editor/txt_ed.h"
#include "render/page_renderer.h"
#include "support/language_texts.h"
#include "support/qt_text.h"

namespace tavrel::gui {
namespace {

QString Text(int row) { return FromWindows1252(EditorText(row)); }

// An attribute command as the Attributes menu and the attribute panel both offer it.
struct TAttributeCommand {
  const char* MenuName;
  const char* ButtonName;
  int Command;
  int TextRow;  // the menu caption's row; the colours use the colour words
  QKeyCombination Shortcut;
};

// The colour commands in menu order: red .. white, then black.
constexpr std::array<int, 8> kMenuColourOrder = {1, 2, 3, 4, 5, 6, 7, 0};
constexpr std::array<const char*, 8> kColourWords = {"Red",     "Green", "Yellow", "Blue",
                                                     "Magenta", "Cyan",  "White",  "Black"};

// The other attribute commands, in menu order.
const TAttributeCommand kOtherAttributes[] = {
    {"MnuFlash", "BtnFlash", EditCommand::FlashOn, EditorTextRow::FlashOn, Qt::CTRL | Qt::Key_F},
    {"MnuSteady", "BtnSteady", EditCommand::Steady, EditorTextRow::Steady, Qt::CTRL | Qt::Key_S},
    {"MnuDoubleHeight", "BtnDoubleHeight", EditCommand::DoubleHeight, EditorTextRow::DoubleHeight,
     Qt::CTRL | Qt::Key_D},
    {"MnuNormalHeight", "BtnNormalHeight", EditCommand::NormalHeight, EditorTextRow::NormalHeight,
     Qt::CTRL | Qt::Key_E},
    {"MnuSepGraphic", "BtnSepGraphic", EditCommand::SeparatedGraphics,
     EditorTextRow::SeparatedGraphics, Qt::CTRL | Qt::Key_P},
    {"MnuConGraphic", "BtnConGraphic", EditCommand::ContiguousGraphics,
     EditorTextRow::ContiguousGraphics, Qt::CTRL | Qt::Key_Q},
    {"MnuStartBox", "BtnStartBox", EditCommand::StartBox, EditorTextRow::StartBox,
     Qt::CTRL | Qt::Key_J},
    {"MnuEndBox", "BtnEndBox", EditCommand::EndBox, EditorTextRow::EndBox, Qt::CTRL | Qt::Key_K},
    {"MnuBlackBackground", "BtnBlackBackground", EditCommand::BlackBackground,
     EditorTextRow::BlackBackground, Qt::CTRL | Qt::Key_B},
    {"MnuNewBackground", "BtnNewBackground", EditCommand::NewBackground,
     EditorTextRow::NewBackground, Qt::CTRL | Qt::Key_W},
    {"MnuHoldGraphic", "BtnHoldGraphic", EditCommand::HoldGraphics, EditorTextRow::HoldGraphics,
     Qt::CTRL | Qt::Key_H},
    {"MnuRelGraphic", "BtnRelGraphic", EditCommand::ReleaseGraphics, EditorTextRow::ReleaseGraphics,
     Qt::CTRL | Qt::Key_R},
    {"MnuConceal", "BtnConceal", EditCommand::Conceal, EditorTextRow::Conceal,
     Qt::CTRL | Qt::Key_U},
};

// The character set menu: item name, caption row (or -1 with its own caption), option.
struct TCharSetItem {
  const char* Name;
  int TextRow;
  const char* Caption;
  int Option;
};
const TCharSetItem kCharSetItems[] = {
    {"MnuEnglish", EditorTextRow::English, "", 0},
    {"MnuGerman", EditorTextRow::English + 1, "", 8},
    {"MnuSwedish", EditorTextRow::English + 2, "", 4},
    {"MnuFrench", EditorTextRow::English + 3, "", 2},
    {"MnuItalian", EditorTextRow::English + 4, "", 12},
    {"MnuSpanish", EditorTextRow::English + 5, "", 10},
    {"MnuExtra1", -1, "Extra 1", 14},
    {"MnuExtra2", -1, "Extra 2", 6},
};

// A panel button's face: the colour codes as a swatch ("A" for alpha, a mosaic block for
// graphics), the others as a short label.
QIcon AttributeIcon(int command) {
  QPixmap pixmap(22, 16);
  pixmap.fill(Qt::black);
  QPainter painter(&pixmap);
  const int code = InsertedControlCode(static_cast<std::uint8_t>(command));
  const TRgb rgb = kTeletextPalette[code & 7];
  const QColor colour(rgb.Red, rgb.Green, rgb.Blue);
  if (code >= 0 && code <= 7) {
    QFont font = DialogFont();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(colour == Qt::black ? QColor(Qt::gray) : colour);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, "A");
  } else if (code >= 16 && code <= 23) {
    painter.fillRect(QRect(5, 2, 5, 5), colour);
    painter.fillRect(QRect(11, 8, 5, 5), colour);
    painter.fillRect(QRect(5, 8, 5, 5), colour == Qt::black ? QColor(Qt::gray) : colour);
  } else {
    static const std::pair<int, const char*> kLabels[] = {{EditCommand::FlashOn, "Fl"},
                                                          {EditCommand::Steady, "St"},
                                                          {EditCommand::DoubleHeight, "DH"},
                                                          {EditCommand::NormalHeight, "NH"},
                                                          {EditCommand::SeparatedGraphics, "Sg"},
                                                          {EditCommand::ContiguousGraphics, "Cg"},
                                                          {EditCommand::StartBox, "[B"},
                                                          {EditCommand::EndBox, "B]"},
                                                          {EditCommand::BlackBackground, "Bb"},
                                                          {EditCommand::NewBackground, "Nb"},
                                                          {EditCommand::HoldGraphics, "Hg"},
                                                          {EditCommand::ReleaseGraphics, "Rg"},
                                                          {EditCommand::Conceal, "Co"}};
    QFont font = DialogFont();
    painter.setFont(font);
    painter.setPen(Qt::white);
    for (const auto& [labelCommand, label] : kLabels) {
      if (labelCommand == command) painter.drawText(pixmap.rect(), Qt::AlignCenter, label);
    }
  }
  return QIcon(pixmap);
}

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& hint, int tag) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setToolTip(hint);
  button->setProperty("tag", tag);
  button->setFocusPolicy(Qt::NoFocus);
  button->setAutoRaise(true);
  return button;
}

}  // namespace

QAction* TTxtEd::AddAction(QMenu* menu, const char* name, const std::string& caption,
                           const QKeySequence& shortcut) {
  auto* action = new QAction(FromWindows1252(caption), this);
  action->setObjectName(name);
  if (!shortcut.isEmpty()) {
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
  }
  menu->addAction(action);
  addAction(action);  // shortcuts work while the menu bar is closed
  return action;
}

void TTxtEd::ShowOnButton(QAction* action, const QString& face, const QString& hint) {
  // The button shows the face and the hint; the menu item keeps its caption.
  action->setIconText(face);
  action->setToolTip(hint);
}

void TTxtEd::ShowOnAttributeButton(QAction* action) {
  const int command = action->property("tag").toInt();
  const int code = InsertedControlCode(static_cast<std::uint8_t>(command));
  ShowOnButton(action, FromWindows1252(controlCodeNames_[code]),
               FromWindows1252(controlCodeNames_[code]));
  action->setIcon(AttributeIcon(command));
  action->setIconVisibleInMenu(false);
  action->setProperty("menuShortcut", action->shortcut());
  attributeActions_.push_back(action);
}

QToolButton* TTxtEd::ButtonFor(QWidget* parent, const char* name, QAction* action, int tag) {
  QToolButton* button = MakeButton(parent, name, action->toolTip(), tag);
  button->setDefaultAction(action);
  return button;
}

void TTxtEd::BuildMenus() {
  auto* bar = new QMenuBar(this);
  bar->setObjectName("MainMenu");
  layout()->setMenuBar(bar);
  auto text = [](int row) { return std::string(EditorText(row)); };

  QMenu* file = bar->addMenu(Text(0));
  fileMenu_ = file;
  closeAction_ = AddAction(file, "MnuClose", text(EditorTextRow::Close));
  ShowOnButton(closeAction_, "\u2715", Text(EditorTextRow::Close));
  connect(closeAction_, &QAction::triggered, this, &TTxtEd::reject);

  QMenu* edit = bar->addMenu(Text(EditorTextRow::Edit));
  undoAction_ = AddAction(edit, "MnuUndo", text(EditorTextRow::Undo), Qt::CTRL | Qt::Key_Z);
  connect(undoAction_, &QAction::triggered, this, &TTxtEd::Undo);
  edit->addSeparator();
  cutAction_ = AddAction(edit, "MnuCut", text(EditorTextRow::Cut), Qt::CTRL | Qt::Key_X);
  connect(cutAction_, &QAction::triggered, this, &TTxtEd::CutRows);
  copyAction_ = AddAction(edit, "MnuCopy", text(EditorTextRow::Copy), Qt::CTRL | Qt::Key_C);
  connect(copyAction_, &QAction::triggered, this, &TTxtEd::CopyRows);
  pasteAction_ = AddAction(edit, "MnuPaste", text(EditorTextRow::Paste), Qt::CTRL | Qt::Key_V);
  connect(pasteAction_, &QAction::triggered, this, &TTxtEd::PasteRows);
  // The caption already shows "Del"; the Delete key is dispatched by HandleKey, which deletes
  // the rows only while this item is enabled.
  deleteAction_ = AddAction(edit, "MnuDelete", text(EditorTextRow::DeleteWithKey));
  connect(deleteAction_, &QAction::triggered, this, &TTxtEd::DeleteRows);
  connect(AddAction(edit, "MnuSelectAll", text(EditorTextRow::SelectAll), Qt::CTRL | Qt::Key_A),
          &QAction::triggered, this, &TTxtEd::SelectAll);
  edit->addSeparator();
  connect(AddAction(edit, "MnuInsertLine", text(EditorTextRow::InsertLine), Qt::CTRL | Qt::Key_N),
          &QAction::triggered, this, [this] { RunCommand(EditCommand::InsertLine); });
  connect(AddAction(edit, "MnuDeleteLine", text(EditorTextRow::DeleteLine), Qt::CTRL | Qt::Key_Y),
          &QAction::triggered, this, [this] { RunCommand(EditCommand::DeleteLine); });
  insertModeAction_ = AddAction(edit, "MnuInsert", text(EditorTextRow::Insert), Qt::Key_Insert);
  connect(insertModeAction_, &QAction::triggered, this, [this] {
    editor_->ToggleInsert();
    RefreshMenus();
    RefreshStatus();
  });

  QMenu* layoutMenu = bar->addMenu(Text(EditorTextRow::Layout));
  connect(AddAction(layoutMenu, "MnuFormatColors", text(EditorTextRow::FormatColors)),
          &QAction::triggered, this, &TTxtEd::FormatColors);

  QMenu* mode = bar->addMenu(Text(EditorTextRow::Mode));
  QMenu* largeFonts = nullptr;
  QMenu* drawModes = nullptr;
  auto* modeGroup = new QActionGroup(this);
  for (const TEditModeRow& item : EditModes()) {
    QMenu* menu = mode;
    if (item.Group == TModeGroup::LargeFont) {
      if (!largeFonts) largeFonts = mode->addMenu(Text(EditorTextRow::LargeFonts));
      menu = largeFonts;
    } else if (item.Group == TModeGroup::Drawing) {
      if (!drawModes) drawModes = mode->addMenu(Text(EditorTextRow::DrawMode));
      menu = drawModes;
    }
    const std::string name = std::string("MnuMode") + item.Name;
    QAction* action =
        AddAction(menu, "", ModeHint(item.Mode),
                  QKeySequence::fromString(item.Shortcut, QKeySequence::PortableText));
    action->setObjectName(QString::fromStdString(name));
    action->setCheckable(true);
    action->setProperty("tag", item.Mode);
    ShowOnButton(action, QString::fromUtf8(item.ButtonLabel), FromWindows1252(ModeHint(item.Mode)));
    modeGroup->addAction(action);
    connect(action, &QAction::triggered, this, [this, m = item.Mode] { ChooseMode(m); });
    modeActions_.push_back(action);
  }
  mode->addSeparator();
  inverseDrawingAction_ =
      AddAction(mode, "MnuDrawInverse", text(EditorTextRow::Invert), Qt::CTRL | Qt::Key_I);
  inverseDrawingAction_->setCheckable(true);
  ShowOnButton(inverseDrawingAction_, "\u25D0", Text(EditorTextRow::Invert));
  connect(inverseDrawingAction_, &QAction::triggered, this, [this] {
    editor_->ToggleInverse();
    RefreshMenus();
  });

  attributesMenu_ = bar->addMenu(Text(EditorTextRow::Attributes));
  QMenu* alpha = attributesMenu_->addMenu(Text(EditorTextRow::FontColor));
  QMenu* graphic = attributesMenu_->addMenu(Text(EditorTextRow::GraphicColor));
  for (int i = 0; i < 8; ++i) {
    const int colour = kMenuColourOrder[i];
    const std::string word = std::string(EditorText(ColorNameRow(colour)));
    const int alphaCommand = colour == 0 ? EditCommand::AlphaBlack : EditCommand::AlphaRed + i;
    const int graphicCommand =
        colour == 0 ? EditCommand::GraphicBlack : EditCommand::GraphicRed + i;
    const std::string alphaName = std::string("MnuAlpha") + kColourWords[i];
    const std::string graphicName = std::string("MnuGraphic") + kColourWords[i];
    QAction* a = AddAction(alpha, "", word, QKeyCombination(Qt::Key(Qt::Key_F1 + i)));
    a->setObjectName(QString::fromStdString(alphaName));
    a->setProperty("tag", alphaCommand);
    ShowOnAttributeButton(a);
    connect(a, &QAction::triggered, this, [this, alphaCommand] { SendAttribute(alphaCommand); });
    QAction* g = AddAction(graphic, "", word, Qt::CTRL | Qt::Key(Qt::Key_F1 + i));
    g->setObjectName(QString::fromStdString(graphicName));
    g->setProperty("tag", graphicCommand);
    ShowOnAttributeButton(g);
    connect(g, &QAction::triggered, this,
            [this, graphicCommand] { SendAttribute(graphicCommand); });
  }
  for (const TAttributeCommand& item : kOtherAttributes) {
    QAction* action = AddAction(attributesMenu_, item.MenuName, text(item.TextRow), item.Shortcut);
    action->setProperty("tag", item.Command);
    ShowOnAttributeButton(action);
    connect(action, &QAction::triggered, this, [this, c = item.Command] { SendAttribute(c); });
  }

  QMenu* view = bar->addMenu(Text(EditorTextRow::View));
  showCodesAction_ =
      AddAction(view, "MnuAttribute", text(EditorTextRow::Attributes), Qt::CTRL | Qt::Key_T);
  showCodesAction_->setCheckable(true);
  ShowOnButton(showCodesAction_, "\u00B6", Text(EditorTextRow::Attributes));
  connect(showCodesAction_, &QAction::triggered, this, [this] {
    editor_->ToggleShowCodes();
    RedrawAll();
  });
  gridAction_ = AddAction(view, "MnuGrid", text(EditorTextRow::Grid), Qt::CTRL | Qt::Key_G);
  gridAction_->setCheckable(true);
  ShowOnButton(gridAction_, "#", Text(EditorTextRow::Grid));
  connect(gridAction_, &QAction::triggered, this, [this] {
    editor_->ToggleGrid();
    RedrawAll();
  });

  QMenu* language = bar->addMenu(Text(EditorTextRow::Language));
  auto* charSetGroup = new QActionGroup(this);
  for (const TCharSetItem& item : kCharSetItems) {
    QAction* action =
        AddAction(language, item.Name, item.TextRow >= 0 ? text(item.TextRow) : item.Caption);
    action->setCheckable(true);
    charSetGroup->addAction(action);
    connect(action, &QAction::triggered, this, [this, o = item.Option] { ChooseCharSet(o); });
    charSetActions_.emplace_back(action, item.Option);
  }
  language->addSeparator();
  connect(AddAction(language, "MnuSetasdefault", text(EditorTextRow::SaveAsDefault)),
          &QAction::triggered, this, &TTxtEd::SaveCharSetAsDefault);
}

void TTxtEd::BuildToolBar(QWidget* client) {
  auto* bar = new QFrame(client);
  bar->setObjectName("ToolBar");
  toolBar_ = bar;
  bar->setGeometry(0, 0, 570, 27);
  bar->setFrameShape(QFrame::StyledPanel);
  int x = 4;
  auto place = [&](QToolButton* button, int gapAfter = 0) {
    button->setGeometry(x, 2, 23, 23);
    x += 24 + gapAfter;
  };
  place(ButtonFor(bar, "BtnClose", closeAction_, 0), 8);
  // Block text has no button: it is chosen from the menu only.
  std::vector<const TEditModeRow*> buttoned;
  for (const TEditModeRow& item : EditModes()) {
    if (*item.ButtonLabel != '\0') buttoned.push_back(&item);
  }
  for (std::size_t i = 0; i < buttoned.size(); ++i) {
    const TEditModeRow& item = *buttoned[i];
    const std::string name = std::string("BtnMode") + item.Name;
    QAction* action = nullptr;
    for (QAction* modeAction : modeActions_) {
      if (modeAction->property("tag").toInt() == item.Mode) action = modeAction;
    }
    // A gap parts the groups; the last drawing tool runs on into Invert.
    const bool groupEnds = i + 1 < buttoned.size() && buttoned[i + 1]->Group != item.Group;
    place(ButtonFor(bar, name.c_str(), action, item.Mode), groupEnds ? 8 : 0);
  }
  place(ButtonFor(bar, "BtnDrawInverse", inverseDrawingAction_, 0), 8);
  place(ButtonFor(bar, "BtnAttribute", showCodesAction_, 0));
  place(ButtonFor(bar, "BtnGrid", gridAction_, 0));
}

void TTxtEd::BuildAttributePanel(QWidget* client) {
  auto* panel = new QFrame(client);
  panel->setObjectName("AttributePanel");
  panel->setGeometry(0, 27, 57, 400);
  panel->setFrameShape(QFrame::StyledPanel);
  auto add = [&](const char* name, int command, int column, int row) {
    QAction* action = nullptr;
    for (QAction* attributeAction : attributeActions_) {
      if (attributeAction->property("tag").toInt() == command) action = attributeAction;
    }
    QToolButton* button = ButtonFor(panel, name, action, command);
    button->setIconSize(QSize(22, 16));
    button->setGeometry(3 + column * 26, 4 + row * 22, 25, 21);
  };
  static const char* kAlphaButtonNames[] = {"BtnAlfaRed",   "BtnAlfaGreen",   "BtnAlfaYellow",
                                            "BtnAlfaBlue",  "BtnAlfaMagenta", "BtnAlfaCyan",
                                            "BtnAlfaWhite", "BtnAlfaBlack"};
  static const char* kGraphicButtonNames[] = {
      "BtnGraphicRed",     "BtnGraphicGreen", "BtnGraphicYellow", "BtnGraphicBlue",
      "BtnGraphicMagenta", "BtnGraphicCyan",  "BtnGraphicWhite",  "BtnGraphicBlack"};
  for (int i = 0; i < 8; ++i) {
    add(kAlphaButtonNames[i], i < 7 ? EditCommand::AlphaRed + i : EditCommand::AlphaBlack, 0, i);
    add(kGraphicButtonNames[i], i < 7 ? EditCommand::GraphicRed + i : EditCommand::GraphicBlack, 1,
        i);
  }
  int slot = 0;
  for (const TAttributeCommand& item : kOtherAttributes) {
    add(item.ButtonName, item.Command, slot % 2, 8 + slot / 2);
    ++slot;
  }
}

void TTxtEd::RefreshMenus() {
  // Every command's menu item and button share one action: this is where they are enabled and
  // checked, from the editor's state.
  TBlockTextFieldState field;
  field.Shown = BlockTextActive();
  if (field.Shown) {
    field.CanUndo = blockTextField_->CanUndo();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    field.ClipboardHasText = data && data->hasText();
  }
  const TEditorCommandStates states = editor_->CommandStates(field);
  const int mode = editor_->Mode();
  for (QAction* action : modeActions_) action->setChecked(action->property("tag").toInt() == mode);
  attributesMenu_->setEnabled(states.AttributeMenus);
  for (QMenu* sub : attributesMenu_->findChildren<QMenu*>()) {
    sub->menuAction()->setEnabled(states.AttributeMenus);
  }
  for (QAction* action : attributeActions_) {
    action->setEnabled(editor_->AttributeCommandEnabled(action->property("tag").toInt()));
    // The keys belong to the menu items: while the Attributes menu is off, F1..F7 do nothing,
    // though the alpha colour buttons still work.
    action->setShortcut(states.AttributeMenus
                            ? action->property("menuShortcut").value<QKeySequence>()
                            : QKeySequence());
  }
  insertModeAction_->setEnabled(states.AttributeMenus);
  undoAction_->setEnabled(states.Undo);
  cutAction_->setEnabled(states.CutCopyDelete);
  copyAction_->setEnabled(states.CutCopyDelete);
  deleteAction_->setEnabled(states.CutCopyDelete);
  pasteAction_->setEnabled(states.Paste);
  inverseDrawingAction_->setText(
      FromWindows1252(SwitchCaption(EditorTextRow::Invert, editor_->InverseDrawing)));
  showCodesAction_->setText(
      FromWindows1252(SwitchCaption(EditorTextRow::Attributes, editor_->State.ShowCodes)));
  insertModeAction_->setText(
      FromWindows1252(SwitchCaption(EditorTextRow::Insert, editor_->State.InsertMode)));
  gridAction_->setText(FromWindows1252(SwitchCaption(EditorTextRow::Grid, editor_->GridDisplay)));
  inverseDrawingAction_->setChecked(editor_->InverseDrawing);
  showCodesAction_->setChecked(editor_->State.ShowCodes);
  gridAction_->setChecked(editor_->GridDisplay);
  for (const auto& [action, option] : charSetActions_) {
    action->setChecked(option == editor_->Page.CharSet);
  }
}

}  // namespace tavrel::gui

#include "support/lang_message_dlg.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "support/qt_text.h"

namespace tavrel::gui {

namespace {

// Object names of the buttons, in TMsgDlgBtn order.
constexpr std::array<const char*, kMsgDlgBtnCount> kButtonNames = {
    "Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "Help"};

// The platform's icon of each kind but custom, in TMsgDlgType order.
constexpr std::array<QStyle::StandardPixmap, 4> kKindIcons = {
    QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxInformation,
    QStyle::SP_MessageBoxQuestion};

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width, r.Height); }

QRect ScreenArea(const QWidget* parent) {
  const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

QString MessageButtonObjectName(TMsgDlgBtn button) {
  return QString::fromLatin1(kButtonNames[static_cast<std::size_t>(button)]);
}

TLangMessageDialog::TLangMessageDialog(const QString& text, TMsgDlgType kind,
                                       TMsgDlgButtons buttons, int helpContext, int top, int left,
                                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      escapeResult_(MessageBoxEscapeResult(buttons)),
      helpContext_(helpContext) {
  setObjectName("LangMessageDlg");
  setFont(DialogFont());
  const QRect screen = ScreenArea(parent);

  // The text is wrapped by the core's rule within half the screen: at line breaks (a bare CR
  // too), between words, and inside a word too long for a line, so the buttons stay on screen.
  const QFontMetrics metrics(font());
  const int maxWidth = screen.width() / 2;
  const std::vector<std::string> lines =
      WrapMessageText(text.toStdString(), maxWidth, [&metrics](std::string_view piece) {
        return metrics.horizontalAdvance(
            QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size())));
      });
  QStringList shownLines;
  for (const std::string& line : lines) shownLines << QString::fromStdString(line);
  const QString shown = shownLines.join('\n');
  const QRect textBounds = metrics.boundingRect(QRect(0, 0, maxWidth, 0), Qt::AlignLeft, shown);
  QPixmap iconPixmap;
  if (kind != TMsgDlgType::Custom) {
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    iconPixmap = style()
                     ->standardIcon(kKindIcons[static_cast<std::size_t>(kind)], nullptr, this)
                     .pixmap(iconSize, iconSize);
  }
  const std::vector<TMessageButton> row = MessageBoxButtons(buttons);
  const TSize iconSize =
      iconPixmap.isNull() ? TSize{} : TSize{iconPixmap.width(), iconPixmap.height()};
  const TMessageBoxLayout layout = LayoutMessageBox({textBounds.width(), textBounds.height()},
                                                    iconSize, static_cast<int>(row.size()));

  if (!iconPixmap.isNull()) {
    auto* image = new QLabel(this);
    image->setObjectName("Image");
    image->setPixmap(iconPixmap);
    image->setGeometry(ToQRect(layout.Icon));
  }
  auto* message = new QLabel(shown, this);
  message->setObjectName("Message");
  // A screen reader reads the message as it was written, not broken into the lines shown.
  message->setAccessibleName(text);
  // The lines are already wrapped; the label's own wrapping would break them anew.
  message->setWordWrap(false);
  message->setTextFormat(Qt::PlainText);
  message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  message->setGeometry(ToQRect(layout.Text));

  bool defaultTaken = false;  // with both Yes and OK, Enter presses Yes
  for (std::size_t i = 0; i < row.size(); ++i) {
    auto* button = new QPushButton(FromWindows1252(MessageButtonCaption(row[i].Button)), this);
    button->setObjectName(MessageButtonObjectName(row[i].Button));
    button->setGeometry(ToQRect(layout.Buttons[i]));
    button->setAutoDefault(false);
    if (row[i].IsDefault && !defaultTaken) {
      defaultTaken = true;
      button->setDefault(true);
      button->setFocus();
    }
    const TModalResult result = row[i].Result;
    if (result != TModalResult::None) {
      connect(button, &QPushButton::clicked, this,
              [this, result] { done(static_cast<int>(result)); });
    }
  }

  setWindowTitle(kind == TMsgDlgType::Custom
                     ? QFileInfo(QCoreApplication::applicationFilePath()).fileName()
                     : FromWindows1252(MessageCaption(kind)));
  // Sizes are in pixels at 96 dots per inch; Qt scales them to the screen as it does for every
  // window, so no scaling of our own follows.
  setFixedSize(layout.Client.Width, layout.Client.Height);
  const TPoint corner =
      PlaceMessageBox({layout.Client.Width, layout.Client.Height},
                      {screen.x(), screen.y(), screen.width(), screen.height()}, left, top);
  move(corner.X, corner.Y);
}

void TLangMessageDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    if (escapeResult_ != TModalResult::None) done(static_cast<int>(escapeResult_));
    return;
  }
  QDialog::keyPressEvent(event);
}

void TLangMessageDialog::reject() { done(static_cast<int>(kMessageBoxCloseResult)); }

TModalResult LangMessageDlg(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                            int helpContext, int top, int left, QWidget* parent) {
  TLangMessageDialog dialog(text, kind, buttons, helpContext, top, left, parent);
  return static_cast<TModalResult>(dialog.exec());
}

TModalResult LangMessageDlg(QWidget* parent, const QString& text, TMsgDlgType kind,
                            TMsgDlgButtons buttons) {
  return LangMessageDlg(text, kind, buttons, 0, -1, -1, parent);
}

}  // namespace tavrel::gui

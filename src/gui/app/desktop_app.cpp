#include "app/desktop_app.h"

#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/main_form.h"
#include "app/single_instance.h"
#include "pipeline/settings_store.h"
#include "render/teletext_fonts.h"
#include "support/error.h"
#include "support/file_utils.h"
#include "support/lang_message_dlg.h"
#include "support/language_texts.h"
#include "support/qt_text.h"

namespace tavrel::gui {

namespace {

// Milliseconds since the kernel started this process (its start time in /proc/self/stat, in
// clock ticks since boot), or -1 when that cannot be read.
double MillisecondsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // The command name may hold spaces; the fields after it are counted from its closing ")".
  const std::size_t end = text.rfind(')');
  if (end == std::string::npos) return -1;
  std::istringstream fields(text.substr(end + 2));
  std::string field;
  // Field 22 of the line is the start time; field 3 is the first after the name.
  for (int index = 3; index < 22 && fields >> field; ++index) {
  }
  unsigned long long startTicks = 0;
  if (!(fields >> startTicks)) return -1;
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
  return (static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9 - startTicks / ticksPerSecond) *
         1000.0;
}

// With TAVREL_TRACE_START set, reports on stderr when the window has first been painted, and
// with the value "exit" then ends the program: the start-up time is measured this way.
class TStartTrace : public QObject {
 public:
  explicit TStartTrace(bool exitAfterShown) : exitAfterShown_(exitAfterShown) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!reported_ && event->type() == QEvent::Paint) {
      reported_ = true;
      std::fprintf(stderr, "tavrel: window painted %.1f ms after the process started\n",
                   MillisecondsSinceProcessStart());
      if (exitAfterShown_) QTimer::singleShot(0, qApp, [] { QApplication::exit(0); });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool exitAfterShown_;
  bool reported_ = false;
};

}  // namespace

std::unique_ptr<TRIGlobals> OpenSettingsForWindow(const std::string& programDir) {
  // The shared texts are English from the start: the box below is the first window the program
  // may show, before the main window (which selects English too) exists.
  SetLanguage(UiLanguage::English, UiLanguage::English);
  try {
    return std::make_unique<TRIGlobals>(programDir);
  } catch (const Error& error) {
    LangMessageDlg(QString::fromLocal8Bit(error.what()), TMsgDlgType::Error, kButtonsOk);
    return nullptr;
  }
}

int RunDesktopApp(int argc, char** argv, const std::string& homeOption) {
  QApplication application(argc, argv);
  application.setApplicationName("Tavrel");
  application.setOrganizationName("Dravik");
  application.setFont(DialogFont());
  // Qt has taken its own options out of argv; what remains besides --home is a mistake, said
  // before any window opens.
  for (int index = 1; index < argc; ++index) {
    if (std::strcmp(argv[index], "--home") == 0) {
      ++index;
      continue;
    }
    std::fprintf(stderr,
                 "tavrel: unknown argument '%s' for the window ('tavrel-window --help' lists "
                 "what it takes)\n",
                 argv[index]);
    return 2;
  }

  const std::string home = CanonicalFolder(ResolveProgramDir(homeOption, argc > 0 ? argv[0] : ""));
  TSingleInstance instance(SingleInstanceServerName(), QString::fromLocal8Bit(home.c_str()));
  QString runningHome;
  if (instance.AskRunningInstanceToRaise(&runningHome)) {
    if (runningHome.isEmpty() || SameFolder(runningHome.toLocal8Bit().toStdString(), home)) {
      return 0;
    }
    // One window per user: the window that runs keeps its home, and this start opens nothing.
    std::fprintf(stderr,
                 "tavrel: a Tavrel window is already open on the home %s and was brought to the "
                 "front; the home %s was not opened. Close that window first to work on it.\n",
                 runningHome.toLocal8Bit().constData(), home.c_str());
    return 1;
  }

  std::unique_ptr<TRIGlobals> globals = OpenSettingsForWindow(home);
  if (!globals) return 1;
  // The window saves the settings it changed when it ends (never over an edit made on disk).
  globals->SaveOnExit = true;

  const QString programFolder = QCoreApplication::applicationDirPath();
  const TFontLoadResult fonts = LoadTeletextFonts(kFontFileAll1216);
  TRIMainForm window(*globals, programFolder);
  instance.SetRaiseHandler(
      [&window](const QString& askedHome) { window.RaiseAndRestore(askedHome); });

  const QByteArray trace = qgetenv("TAVREL_TRACE_START");
  std::unique_ptr<TStartTrace> startTrace;
  if (!trace.isEmpty()) {
    startTrace = std::make_unique<TStartTrace>(trace == "exit");
    window.installEventFilter(startTrace.get());
  }
  window.show();
  if (!fonts.Success()) {
    LangMessageDlg(QString::fromLocal8Bit(fonts.Message().c_str()), TMsgDlgType::Error, kButtonsOk,
                   0, -1, -1, &window);
  }
  return application.exec();
}

}  // namespace tavrel::gui

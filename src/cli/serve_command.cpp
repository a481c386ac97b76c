// tavrel serve: the browser preview of the home's last generation, for the editors and
// reporters who write the feed and for an operator away from the desk.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "command_support.h"
#include "commands.h"
#include "render/teletext_fonts.h"
#include "serve/listen_address.h"
#include "serve/preview_server.h"
#include "support/error.h"

namespace tavrel::cli {
namespace {

constexpr const char* kUsage =
    "Usage: tavrel [--home DIR] serve [--listen ADDRESS:PORT]\n"
    "\n"
    "Shows the pages last generated in the home's Export/ in a web browser, as they go on\n"
    "air: drawn in the teletext fonts, with every page number and fastext prompt a link,\n"
    "sub-pages rotating, and the keyboard as a remote control (three digits choose a page,\n"
    "the arrow keys step pages and sub-pages, R, G, Y and C follow the coloured links).\n"
    "When a generation or an upload replaces Export/, every open browser shows the new pages\n"
    "within a second. Only pages listed in Control.dat are shown; nothing is ever written.\n"
    "Export/ is read while holding the home's lock (.tavrel.lock) for a moment, so a\n"
    "half-written generation is never shown.\n"
    "\n"
    "Open http://127.0.0.1:8470/ (the first page) or http://127.0.0.1:8470/NNN (page NNN).\n"
    "\n"
    "Options:\n"
    "  --listen ADDRESS:PORT  where to listen (default 127.0.0.1:8470; [::1]:PORT for IPv6,\n"
    "                         port 0 for any free port). An address other than loopback\n"
    "                         lets every machine that reaches it see the pages, without a\n"
    "                         password or encryption: a warning says so\n"
    "  -h, --help             show this help\n"
    "\n"
    "SIGINT (Ctrl-C) or SIGTERM stops the server: open browsers are let go, requests under\n"
    "way finish.\n"
    "\n"
    "Exit codes:\n"
    "  0  stopped by SIGINT or SIGTERM\n"
    "  1  the home folder, its settings or the fonts are unusable, or the address cannot be\n"
    "     listened on\n"
    "  2  wrong usage\n";

std::optional<std::string> ParseArguments(const std::vector<std::string>& args,
                                          TListenAddress& listen) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--listen") {
      if (i + 1 >= args.size()) return std::string("--listen needs ADDRESS:PORT");
      const auto parsed = ParseListenAddress(args[++i]);
      if (!parsed) {
        return "--listen needs ADDRESS:PORT with a port from 0 to 65535, not '" + args[i] + "'";
      }
      listen = *parsed;
    } else {
      return "unknown argument '" + args[i] + "'";
    }
  }
  return std::nullopt;
}

// SIGINT and SIGTERM are taken by one thread that waits for them, so the server's own threads
// never run a signal handler. The mask is set before any thread starts, and threads inherit it.
class TStopSignalWait {
 public:
  TStopSignalWait() {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals_, &oldMask_);
  }
  ~TStopSignalWait() {
    StopWaiting();
    pthread_sigmask(SIG_SETMASK, &oldMask_, nullptr);
  }
  // Ends the wait; after it no signal reaches what OnSignal was given.
  void StopWaiting() {
    done_.store(true);
    if (waiter_.joinable()) waiter_.join();
  }
  TStopSignalWait(const TStopSignalWait&) = delete;
  TStopSignalWait& operator=(const TStopSignalWait&) = delete;

  template <typename Stop>
  void OnSignal(Stop stop) {
    waiter_ = std::thread([this, stop] {
      const timespec pause{0, 200'000'000};
      while (!done_.load()) {
        if (sigtimedwait(&signals_, nullptr, &pause) > 0) {
          stop();
          return;
        }
      }
    });
  }

 private:
  sigset_t signals_{};
  sigset_t oldMask_{};
  std::atomic<bool> done_{false};
  std::thread waiter_;
};

}  // namespace

int RunServeCommand(const CommandContext& context) {
  if (WantsHelp(context.Arguments)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  TListenAddress listen{kDefaultPreviewAddress, kDefaultPreviewPort};
  if (const auto problem = ParseArguments(context.Arguments, listen)) {
    std::fprintf(stderr, "tavrel serve: %s\n\n%s", problem->c_str(), kUsage);
    return 2;
  }
  const TRIGlobals globals = OpenSettingsStore(context);
  const TFontLoadResult fonts = LoadTeletextFonts(kFontFileAll1216);
  if (!fonts.Success()) {
    std::fprintf(stderr, "tavrel serve: %s\n", fonts.Message().c_str());
    return 1;
  }
  if (!IsLoopbackAddress(listen.Address)) {
    std::fprintf(stderr,
                 "tavrel serve: warning: listening on %s, not on loopback: every machine that "
                 "reaches it sees the pages, without a password or encryption\n",
                 listen.Address.c_str());
  }

  TStopSignalWait signals;
  TPreviewServerOptions options;
  options.Home = HomeFolder(context);
  options.ExportDir = globals.ExportDir;
  options.Address = listen.Address;
  options.Port = listen.Port;
  options.Fonts = &FontSet(kFontSize1216);
  options.Report = [](const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  };
  TPreviewServer server(options);
  const bool bracket = listen.Address.find(':') != std::string::npos;
  std::printf("Serving the pages of %s at http://%s%s%s:%d/ (%zu pages)\n",
              globals.ExportDir.c_str(), bracket ? "[" : "", listen.Address.c_str(),
              bracket ? "]" : "", server.Port(), server.Generation()->Pages().size());
  std::fflush(stdout);
  signals.OnSignal([&server] { server.Stop(); });
  server.Run();
  signals.StopWaiting();
  std::printf("Stopped\n");
  UnloadTeletextFonts();
  return 0;
}

}  // namespace tavrel::cli

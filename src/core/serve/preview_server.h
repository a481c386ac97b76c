#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "render/teletext_fonts.h"
#include "serve/preview_generation.h"

namespace httplib {
class Server;
}

namespace tavrel {

// The port the preview listens on unless told otherwise.
inline constexpr int kDefaultPreviewPort = 8470;
inline constexpr const char* kDefaultPreviewAddress = "127.0.0.1";

// Bounds of the preview server. A request is small (a page address), so anything large is
// refused; a client that stops sending or reading is dropped after the timeouts; the worker
// threads are a fixed pool, and open event streams (one per browser tab) may hold only part of
// it, so that pages are always served.
inline constexpr std::size_t kPreviewMaxTargetLength = 256;
// A request (request line, header lines, body) may send this much, and must have come whole
// within the time limit; the connection is closed otherwise.
inline constexpr std::size_t kPreviewMaxRequestBytes = 16 * 1024;
inline constexpr std::chrono::seconds kPreviewRequestTimeLimit{10};
inline constexpr std::size_t kPreviewMaxBodyLength = 1024;
inline constexpr std::chrono::seconds kPreviewReadTimeout{5};
inline constexpr std::chrono::seconds kPreviewWriteTimeout{5};
inline constexpr std::chrono::seconds kPreviewKeepAliveTimeout{2};
inline constexpr std::size_t kPreviewWorkerThreads = 48;
inline constexpr int kPreviewMaxEventStreams = 32;
// An event stream sends a comment this often, so a browser that went away is noticed, and
// ends after kPreviewEventStreamLife (the browser reconnects at once and is told the current
// generation), so no stream holds a worker for ever.
inline constexpr std::chrono::seconds kPreviewHeartbeat{15};
inline constexpr std::chrono::seconds kPreviewEventStreamLife{300};
// How often Export/ is looked at for a new generation.
inline constexpr std::chrono::milliseconds kPreviewWatchInterval{200};

struct TPreviewServerOptions {
  std::string Home;       // the home folder, whose lock guards Export/
  std::string ExportDir;  // Export/ with its trailing "/"
  std::string Address = kDefaultPreviewAddress;
  int Port = kDefaultPreviewPort;  // 0: a free port (tests)
  const TFontSet* Fonts = nullptr;
  std::chrono::milliseconds RequestTimeLimit = kPreviewRequestTimeLimit;
  // Lines for the operator (a new generation, pages that could not be read).
  std::function<void(const std::string&)> Report;
};

// The read-only HTTP server of the browser preview over the home's last generation. Requests
// are answered from the generation held in memory; a watch takes each new generation from
// Export/ while holding the home's lock, so a half-written generation is never shown, and
// announces it to every open browser.
class TPreviewServer {
 public:
  // Reads the current generation and binds the address. Throws tavrel::Error when the address
  // cannot be bound (in use, not an address of this machine).
  explicit TPreviewServer(TPreviewServerOptions options);
  ~TPreviewServer();
  TPreviewServer(const TPreviewServer&) = delete;
  TPreviewServer& operator=(const TPreviewServer&) = delete;

  int Port() const { return port_; }
  // Serves until Stop(); answers once every worker has finished.
  void Run();
  // Ends Run() from any thread: open event streams end, requests under way finish.
  void Stop();

  std::shared_ptr<const TPreviewGeneration> Generation() const;
  // Looks at Export/ once and takes a changed generation when the home is free. Answers true
  // when a new generation was taken.
  bool Refresh();

 private:
  void AddRoutes();
  void Publish(std::shared_ptr<const TPreviewGeneration> generation);
  void Report(const std::string& line) const;

  TPreviewServerOptions options_;
  std::unique_ptr<httplib::Server> server_;
  int port_ = 0;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::shared_ptr<const TPreviewGeneration> generation_;
  TExportSignature signature_;
  bool signatureRead_ = false;
  bool stopping_ = false;
  std::atomic<int> eventStreams_{0};
  std::jthread watch_;
};

}  // namespace tavrel

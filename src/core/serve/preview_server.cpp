#include "serve/preview_server.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "serve/preview_html.h"
#include "support/error.h"
#include "support/home_lock.h"

namespace tavrel {
namespace {

// Each generation gets the time it was read as its number: numbers grow and never repeat
// across restarts, so a picture address (which browsers keep for good) names one picture.
std::uint64_t NewGenerationId() {
  static std::atomic<std::uint64_t> last{0};
  const auto now =
      static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::system_clock::now().time_since_epoch())
                                     .count());
  std::uint64_t previous = last.load();
  std::uint64_t next = 0;
  do {
    next = std::max(now, previous + 1);
  } while (!last.compare_exchange_weak(previous, next));
  return next;
}

constexpr const char* kHtml = "text/html; charset=utf-8";

// Sent with every answer: the documents load only their own style sheet, script and pictures,
// are never framed by another site and do not tell other sites where the reader came from.
const httplib::Headers kSecurityHeaders = {
    {"Content-Security-Policy",
     "default-src 'none'; img-src 'self'; style-src 'self'; script-src 'self'; "
     "connect-src 'self'; form-action 'self'; base-uri 'none'; frame-ancestors 'none'"},
    {"X-Content-Type-Options", "nosniff"},
    {"Referrer-Policy", "no-referrer"},
    {"X-Frame-Options", "DENY"},
};

// A connection's socket as the library reads and writes it, with two bounds the library of
// Debian 12 lacks: each request may send at most kPreviewMaxRequestBytes (request line,
// header lines and body together; the library takes any number of header lines) and must
// have arrived within the request time limit (the library's timeout is per read, so a byte
// every few seconds would hold a worker for ever). Writing is bounded by the write timeout.
class TBoundedSocketStream : public httplib::Stream {
 public:
  TBoundedSocketStream(int socket, std::chrono::milliseconds readTimeout,
                       std::chrono::milliseconds writeTimeout,
                       std::chrono::milliseconds requestTimeLimit)
      : socket_(socket),
        readTimeout_(readTimeout),
        writeTimeout_(writeTimeout),
        requestTimeLimit_(requestTimeLimit) {}

  // Starts the bounds of the next request on the connection.
  void StartRequest() {
    deadline_ = std::chrono::steady_clock::now() + requestTimeLimit_;
    bytesLeft_ = kPreviewMaxRequestBytes;
  }

  bool is_readable() const override {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline_ - std::chrono::steady_clock::now());
    return left.count() > 0 && Wait(POLLIN, std::min(left, readTimeout_));
  }
  bool is_writable() const override { return Wait(POLLOUT, writeTimeout_); }

  // Whether bytes of the next request have already been received.
  bool HasBuffered() const { return bufferedAt_ < buffered_; }

  // Whether the request on the way ran out of bytes or time, or stalled beyond the read
  // timeout: the connection is then closed.
  bool Exceeded() const { return exceeded_; }

  ssize_t read(char* data, std::size_t size) override {
    if ((bufferedAt_ == buffered_ && bytesLeft_ == 0) ||
        std::chrono::steady_clock::now() >= deadline_) {
      exceeded_ = true;
      return -1;
    }
    // The library reads a request a byte at a time: those reads are served from a buffer filled
    // by one receive, as its own socket stream does.
    if (bufferedAt_ == buffered_) {
      if (!is_readable()) {
        // Nothing came in time: the request is cut off, not waited for again.
        exceeded_ = true;
        return -1;
      }
      ssize_t got = 0;
      do {
        got = ::recv(socket_, buffer_.data(), std::min(buffer_.size(), bytesLeft_), 0);
      } while (got < 0 && errno == EINTR);
      if (got <= 0) return got;
      bytesLeft_ -= static_cast<std::size_t>(got);
      buffered_ = static_cast<std::size_t>(got);
      bufferedAt_ = 0;
    }
    const std::size_t count = std::min(size, buffered_ - bufferedAt_);
    std::memcpy(data, buffer_.data() + bufferedAt_, count);
    bufferedAt_ += count;
    return static_cast<ssize_t>(count);
  }
  ssize_t write(const char* data, std::size_t size) override {
    if (!is_writable()) return -1;
    ssize_t sent = 0;
    do {
      sent = ::send(socket_, data, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    Address(::getpeername, ip, port);
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    Address(::getsockname, ip, port);
  }
  int socket() const override { return socket_; }

 private:
  bool Wait(short events, std::chrono::milliseconds timeout) const {
    pollfd poll{socket_, events, 0};
    int ready = 0;
    do {
      ready = ::poll(&poll, 1, static_cast<int>(timeout.count()));
    } while (ready < 0 && errno == EINTR);
    return ready > 0 && (poll.revents & (events | POLLHUP | POLLERR)) != 0;
  }
  template <typename Lookup>
  void Address(Lookup lookup, std::string& ip, int& port) const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (lookup(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return;
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
      const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
      ::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
      port = ntohs(v4->sin_port);
    } else if (address.ss_family == AF_INET6) {
      const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
      ::inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
      port = ntohs(v6->sin6_port);
    }
    ip = text;
  }

  int socket_;
  std::chrono::milliseconds readTimeout_;
  std::chrono::milliseconds writeTimeout_;
  std::chrono::milliseconds requestTimeLimit_;
  std::chrono::steady_clock::time_point deadline_{};
  std::size_t bytesLeft_ = 0;
  bool exceeded_ = false;
  std::array<char, 4096> buffer_{};
  std::size_t buffered_ = 0;
  std::size_t bufferedAt_ = 0;
};

// The library's server with its connections read through TBoundedSocketStream: the library
// still parses and answers every request; only the reading of the socket is bounded.
class TBoundedServer : public httplib::Server {
 public:
  explicit TBoundedServer(std::chrono::milliseconds requestTimeLimit)
      : requestTimeLimit_(requestTimeLimit) {}

 private:
  bool process_and_close_socket(int socket) override {
    TBoundedSocketStream stream(socket, std::chrono::seconds(read_timeout_sec_),
                                std::chrono::seconds(write_timeout_sec_), requestTimeLimit_);
    bool answered = false;
    for (std::size_t left = keep_alive_max_count_;
         left > 0 && (stream.HasBuffered() || WaitForRequest(socket)); --left) {
      stream.StartRequest();
      bool closed = false;
      answered = process_request(stream, left == 1, closed, nullptr);
      if (!answered || closed || stream.Exceeded()) break;
    }
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
    return answered;
  }

  // Waits for the next request of a kept-alive connection, in short slices so that a stop of
  // the server lets the connection go at once.
  bool WaitForRequest(int socket) const {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(keep_alive_timeout_sec_);
    while (svr_sock_ != INVALID_SOCKET && std::chrono::steady_clock::now() < deadline) {
      pollfd poll{socket, POLLIN, 0};
      const int ready = ::poll(&poll, 1, 50);
      if (ready > 0) return true;
      if (ready < 0 && errno != EINTR) return false;
    }
    return false;
  }

  std::chrono::milliseconds requestTimeLimit_;
};

void SetDocument(httplib::Response& response, int status, std::string html) {
  response.status = status;
  response.set_header("Cache-Control", "no-cache");
  response.set_content(std::move(html), kHtml);
}

}  // namespace

TPreviewServer::TPreviewServer(TPreviewServerOptions options)
    : options_(std::move(options)),
      server_(std::make_unique<TBoundedServer>(options_.RequestTimeLimit)) {
  // The first generation: a writer at work is waited for as a second writer would be; a home
  // still busy after that starts the preview empty, and the watch takes the pages later.
  try {
    const THomeLock lock(options_.Home);
    signature_ = ReadExportSignature(options_.ExportDir);
    signatureRead_ = true;
    generation_ = TPreviewGeneration::Read(options_.ExportDir, NewGenerationId());
    for (const std::string& problem : generation_->Problems()) Report(problem);
  } catch (const THomeInUse& error) {
    Report(std::string(error.what()) + "; the pages are shown once it has finished");
    generation_ =
        std::make_shared<TPreviewGeneration>(NewGenerationId(), std::vector<TPreviewPage>{});
  }

  server_->new_task_queue = [] { return new httplib::ThreadPool(kPreviewWorkerThreads); };
  server_->set_payload_max_length(kPreviewMaxBodyLength);
  server_->set_read_timeout(kPreviewReadTimeout);
  server_->set_write_timeout(kPreviewWriteTimeout);
  server_->set_keep_alive_timeout(kPreviewKeepAliveTimeout.count());
  // A browser fetches a page and its pictures over one connection; the timeout above bounds an
  // idle one.
  server_->set_keep_alive_max_count(100);
  // Headers and body leave in separate writes; without this the second waits for the
  // client's delayed acknowledgement (some 40 ms a request).
  server_->set_tcp_nodelay(true);
  server_->set_default_headers(kSecurityHeaders);
  // The library's default also sets SO_REUSEPORT, with which a second preview on the same port
  // (of another home, say) would share it and get every other request, instead of being told
  // that the port is in use. SO_REUSEADDR alone lets a restart bind at once.
  server_->set_socket_options([](int socket) {
    const int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  AddRoutes();

  if (options_.Port == 0) {
    port_ = server_->bind_to_any_port(options_.Address);
    if (port_ < 0) port_ = 0;
  } else if (server_->bind_to_port(options_.Address, options_.Port)) {
    port_ = options_.Port;
  }
  if (port_ <= 0) {
    throw Error("cannot listen on " + options_.Address + ":" + std::to_string(options_.Port) +
                " (the port is in use, or the address is not one of this machine's)");
  }
}

TPreviewServer::~TPreviewServer() {
  Stop();
  if (watch_.joinable()) {
    watch_.request_stop();
    watch_.join();
  }
}

void TPreviewServer::Report(const std::string& line) const {
  if (options_.Report) options_.Report(line);
}

std::shared_ptr<const TPreviewGeneration> TPreviewServer::Generation() const {
  const std::lock_guard lock(mutex_);
  return generation_;
}

void TPreviewServer::Publish(std::shared_ptr<const TPreviewGeneration> generation) {
  {
    const std::lock_guard lock(mutex_);
    generation_ = std::move(generation);
  }
  changed_.notify_all();
}

bool TPreviewServer::Refresh() {
  const TExportSignature seen = ReadExportSignature(options_.ExportDir);
  {
    const std::lock_guard lock(mutex_);
    if (signatureRead_ && seen == signature_) return false;
  }
  std::shared_ptr<const TPreviewGeneration> generation;
  TExportSignature read;
  try {
    // Taken only when free: a writer at work is left alone and looked at again next time.
    const THomeLock lock(options_.Home, std::chrono::milliseconds(0));
    read = ReadExportSignature(options_.ExportDir);
    generation = TPreviewGeneration::Read(options_.ExportDir, NewGenerationId());
  } catch (const THomeInUse&) {
    return false;
  } catch (const Error& error) {
    // A control file that cannot be read keeps the pages on show; the operator hears it once.
    Report(error.what());
    const std::lock_guard lock(mutex_);
    signature_ = seen;
    signatureRead_ = true;
    return false;
  }
  for (const std::string& problem : generation->Problems()) Report(problem);
  Report("New generation: " + std::to_string(generation->Pages().size()) + " pages");
  {
    const std::lock_guard lock(mutex_);
    signature_ = read;
    signatureRead_ = true;
  }
  Publish(std::move(generation));
  return true;
}

void TPreviewServer::Run() {
  watch_ = std::jthread([this](std::stop_token stop) {
    while (!stop.stop_requested()) {
      Refresh();
      std::unique_lock lock(mutex_);
      changed_.wait_for(lock, kPreviewWatchInterval,
                        [this, &stop] { return stopping_ || stop.stop_requested(); });
      if (stopping_) return;
    }
  });
  {
    const std::lock_guard lock(mutex_);
    if (stopping_) return;
  }
  server_->listen_after_bind();
}

void TPreviewServer::Stop() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  server_->stop();
}

void TPreviewServer::AddRoutes() {
  httplib::Server& server = *server_;

  // Only small GET and HEAD requests are answered; the library already refuses bodies above
  // the payload limit and request lines above its own limit.
  server.set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
    if (request.method != "GET" && request.method != "HEAD") {
      response.status = 405;
      response.set_header("Allow", "GET, HEAD");
      response.set_content("Only GET and HEAD are answered here.\n", "text/plain");
      return httplib::Server::HandlerResponse::Handled;
    }
    if (request.target.size() > kPreviewMaxTargetLength) {
      response.status = 414;
      response.set_content("The address is too long.\n", "text/plain");
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });
  server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (response.body.empty()) {
      response.set_content(response.status == 404 ? "Not found.\n" : "Refused.\n", "text/plain");
    }
  });
  server.set_exception_handler(
      [](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
        response.status = 500;
        response.set_content("The page could not be drawn.\n", "text/plain");
      });

  server.Get("/", [this](const httplib::Request&, httplib::Response& response) {
    const auto generation = Generation();
    if (generation->Pages().empty()) {
      SetDocument(response, 200, MissingPageDocument(*generation, ""));
      return;
    }
    response.set_redirect(PageAddress(generation->Pages().front().Number), 302);
  });

  const auto showPage = [this](const httplib::Request& request, httplib::Response& response) {
    const auto generation = Generation();
    const std::string number = request.matches[1];
    const TPreviewPage* page = generation->Find(number);
    const TPreviewSubPage* sub = nullptr;
    if (page != nullptr) {
      sub = request.matches.size() > 2 && request.matches[2].matched
                ? FindSubPage(*page, request.matches[2].str())
                : &page->SubPages.front();
    }
    if (page != nullptr && sub == nullptr) {
      // A sub-page that a new generation no longer has: its page, from the first sub-page.
      response.set_redirect(PageAddress(number), 302);
      return;
    }
    if (sub == nullptr) {
      SetDocument(response, 404, MissingPageDocument(*generation, number));
      return;
    }
    SetDocument(response, 200, SubPageDocument(*generation, *page, *sub));
  };
  server.Get(R"(/([0-9]{3}))", showPage);
  server.Get(R"(/([0-9]{3})/([0-9]{4}))", showPage);

  // The page number form of a browser without scripts.
  server.Get("/go", [](const httplib::Request& request, httplib::Response& response) {
    const std::string number = request.get_param_value("page");
    if (number.size() != 3 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      response.status = 400;
      response.set_content("A page number has three digits.\n", "text/plain");
      return;
    }
    response.set_redirect(PageAddress(number), 303);
  });

  server.Get(R"(/image/([0-9]{1,20})/([0-9]{3})/([0-9]{4})(@2x)?\.png)",
             [this](const httplib::Request& request, httplib::Response& response) {
               const auto generation = Generation();
               // Pictures of an older generation are gone; the page that asks for one is
               // replaced by the browser as soon as it hears of the new generation.
               if (request.matches[1].str() != std::to_string(generation->Id())) {
                 response.status = 404;
                 return;
               }
               const int scale = request.matches[4].matched ? 2 : 1;
               const auto picture = generation->Picture(
                   request.matches[2].str(), request.matches[3].str(), scale, *options_.Fonts);
               if (!picture) {
                 response.status = 404;
                 return;
               }
               response.set_header("Cache-Control", "public, max-age=31536000, immutable");
               response.set_content(*picture, "image/png");
             });

  server.Get("/static/preview.css", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Cache-Control", "no-cache");
    response.set_content(std::string(kPreviewStyleSheet), "text/css; charset=utf-8");
  });
  server.Get("/static/preview.js", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Cache-Control", "no-cache");
    response.set_content(std::string(kPreviewScript), "text/javascript; charset=utf-8");
  });

  // Server-sent events: "generation" with the current generation's number at once and at every
  // change. Beyond the stream limit a browser is asked to try again later.
  server.Get("/events", [this](const httplib::Request&, httplib::Response& response) {
    response.set_header("Cache-Control", "no-store");
    if (eventStreams_.fetch_add(1) >= kPreviewMaxEventStreams) {
      eventStreams_.fetch_sub(1);
      response.set_content("retry: 10000\n\n", "text/event-stream");
      return;
    }
    const auto started = std::chrono::steady_clock::now();
    auto sent = std::make_shared<std::uint64_t>(0);
    response.set_chunked_content_provider(
        "text/event-stream",
        [this, started, sent](std::size_t, httplib::DataSink& sink) {
          std::string message;
          {
            std::unique_lock lock(mutex_);
            changed_.wait_for(lock, kPreviewHeartbeat,
                              [&] { return stopping_ || generation_->Id() != *sent; });
            if (stopping_) {
              lock.unlock();
              sink.done();
              return true;
            }
            if (generation_->Id() != *sent) {
              *sent = generation_->Id();
              message = "retry: 1000\nevent: generation\ndata: " + std::to_string(*sent) + "\n\n";
            }
          }
          if (message.empty()) message = ": still here\n\n";
          if (!sink.write(message.data(), message.size())) return false;
          if (std::chrono::steady_clock::now() - started > kPreviewEventStreamLife) sink.done();
          return true;
        },
        [this](bool) { eventStreams_.fetch_sub(1); });
  });
}

}  // namespace tavrel

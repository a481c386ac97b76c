// The browser preview's server at the HTTP level: a real server on 127.0.0.1 over a home that
// the real program generated, asked through plain sockets so that every byte of a hostile
// request goes out as written.
#include "serve/preview_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/child_process.h"
#include "serve/listen_address.h"
#include "serve/preview_html.h"
#include "support/error.h"
#include "support/home_lock.h"
#include "testing/run_command.h"
#include "testing/temp_folder.h"

namespace tavrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr const char* kProgram = TAVREL_BINARY_DIR "/tavrel";
constexpr const char* kOldTitle = "Harbour bridge reopens early";
constexpr const char* kNewTitle = "Harbour bridge opens at dawn";
// Shorter than the program's, so that a test of a slow client is quick.
constexpr std::chrono::milliseconds kRequestTimeLimit{2000};

// A connection to the server: sends bytes as they are and reads with a time limit.
class RawConnection {
 public:
  explicit RawConnection(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~RawConnection() {
    if (fd_ >= 0) ::close(fd_);
  }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool Connected() const { return fd_ >= 0; }
  // Sends everything it can; a server that closes early ends the sending.
  void Send(const std::string& bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
      const ssize_t sent = ::send(fd_, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
      if (sent <= 0) return;
      at += static_cast<std::size_t>(sent);
    }
  }
  // Reads until `until` has arrived, the server closes, or the time is up.
  std::string Read(std::chrono::milliseconds timeout, const std::string& until = {}) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (until.empty() || received_.find(until) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd poll{fd_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&poll, 1, static_cast<int>(left.count())) <= 0) break;
      char buffer[16384];
      const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
      if (got <= 0) {
        closed_ = true;
        break;
      }
      received_.append(buffer, static_cast<std::size_t>(got));
    }
    return received_;
  }
  bool Closed() const { return closed_; }

 private:
  int fd_ = -1;
  std::string received_;
  bool closed_ = false;
};

// The status code of a response, 0 when none came. Read without std::regex: many client
// threads call it at once, and compiling a regex fills the locale's shared caches.
int StatusOf(const std::string& response) {
  constexpr std::string_view kStart = "HTTP/1.1 ";
  if (response.size() < kStart.size() + 4 || response.compare(0, kStart.size(), kStart) != 0)
    return 0;
  int status = 0;
  for (std::size_t i = kStart.size(); i < kStart.size() + 3; ++i) {
    if (response[i] < '0' || response[i] > '9') return 0;
    status = status * 10 + (response[i] - '0');
  }
  return response[kStart.size() + 3] == ' ' ? status : 0;
}

// Every answer ends with the connection closed; the long limit only fails a server that hangs,
// never a slow one on a loaded machine (a sanitizer build, a hundred clients at once).
std::string Request(int port, const std::string& request) {
  RawConnection connection(port);
  connection.Send(request);
  return connection.Read(30s);
}

std::string Get(int port, const std::string& target) {
  return Request(port, "GET " + target + " HTTP/1.1\r\nHost: preview\r\nConnection: close\r\n\r\n");
}

// A home made from the sample workspace by the real program, generated once for every test and
// copied for each.
class PreviewServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    generated_ = new testing::TempFolder();
    const fs::path home = generated_->Root() / "home";
    fs::copy(TAVREL_SOURCE_DIR "/data/sample", home, fs::copy_options::recursive);
    const auto result =
        testing::RunCommand(std::string(kProgram) + " --home " + home.string() + " generate");
    ASSERT_EQ(result.ExitCode, 0) << result.Output;
    fonts_ = new TTeletextFonts();
    ASSERT_TRUE(fonts_->Load(kFontFileAll1216, TAVREL_BINARY_DIR).Success());
  }
  static void TearDownTestSuite() {
    delete generated_;
    delete fonts_;
  }

  void SetUp() override {
    home_ = temp_.Root() / "home";
    fs::copy(generated_->Root() / "home", home_, fs::copy_options::recursive);
    TPreviewServerOptions options;
    options.Home = home_.string();
    options.ExportDir = (home_ / "Export").string() + "/";
    options.Address = "127.0.0.1";
    options.Port = 0;
    options.Fonts = &fonts_->FontSet(kFontSize1216);
    options.RequestTimeLimit = kRequestTimeLimit;
    server_ = std::make_unique<TPreviewServer>(options);
    runner_ = std::thread([this] { server_->Run(); });
    port_ = server_->Port();
  }
  void TearDown() override {
    server_->Stop();
    runner_.join();
  }

  // Generates the sample feed again with the first title changed, as a generation does.
  void GenerateNewTitle() {
    const fs::path feed = home_ / "Feed" / "news.xml";
    std::string text = ReadBytes(feed);
    text.replace(text.find(kOldTitle), std::string(kOldTitle).size(), kNewTitle);
    WriteBytes(feed, text);
    const auto result =
        testing::RunCommand(std::string(kProgram) + " --home " + home_.string() + " generate");
    ASSERT_EQ(result.ExitCode, 0) << result.Output;
  }

  static testing::TempFolder* generated_;
  static TTeletextFonts* fonts_;
  testing::TempFolder temp_;
  fs::path home_;
  std::unique_ptr<TPreviewServer> server_;
  std::thread runner_;
  int port_ = 0;
};
testing::TempFolder* PreviewServerTest::generated_ = nullptr;
TTeletextFonts* PreviewServerTest::fonts_ = nullptr;

// Every address a browser or an attacker may ask for: pages of Control.dat are answered, page
// numbers it lacks get the page search, and nothing else reaches anything, least of all a file.
TEST_F(PreviewServerTest, AnswersOnlyThePagesOfTheGeneration) {
  struct Case {
    std::string request;  // the request line, or a whole request when it ends in "\r\n\r\n"
    int status;
    std::string contains;
  };
  const std::string host = " HTTP/1.1\r\nHost: preview\r\nConnection: close\r\n\r\n";
  const Case cases[] = {
      {"GET /", 302, "Location: /100"},
      {"GET /100", 200, "<a href=\"/101\">101</a>"},
      {"GET /100", 200, "aria-label=\"200\""},
      {"GET /100", 200, kOldTitle},
      {"HEAD /100", 200, "text/html"},
      {"GET /107/0003", 200, "3/4"},
      {"GET /107/0009", 302, "Location: /107"},
      {"GET /999", 404, "Page 999 is not on air."},
      {"GET /1000", 404, "Not found."},
      {"GET /10", 404, "Not found."},
      {"GET /../../../../etc/passwd", 404, "Not found."},
      {"GET /%2e%2e/%2e%2e/etc/passwd", 404, "Not found."},
      {"GET /static/../../../../etc/passwd", 404, "Not found."},
      {"GET /static/..%2f..%2f..%2fetc%2fpasswd", 404, "Not found."},
      {"GET /image/1/..%2f..%2fControl.dat", 404, "Not found."},
      {"GET /Control.dat", 404, "Not found."},
      {"GET /100-0000.pag", 404, "Not found."},
      // An encoded slash is decoded before the address is matched: still a page address.
      {"GET /100%2f0000", 200, "P100"},
      {"GET /100%00", 404, "Not found."},
      {"GET /image/1/100/0000.png", 404, ""},
      {"GET /go?page=105", 303, "Location: /105"},
      {"GET /go?page=..%2f..%2fetc", 400, "three digits"},
      {"GET /static/preview.js", 200, "EventSource"},
      {"GET /static/preview.css", 200, "text/css"},
      {"POST /100", 405, "Allow: GET, HEAD"},
      {"DELETE /100", 405, ""},
      {"GET /" + std::string(300, 'a'), 414, ""},
      // Beyond the request's byte limit the connection is closed without an answer.
      {"GET /" + std::string(20000, 'a'), 0, ""},
      {[] {
         std::string flood = "GET /100 HTTP/1.1\r\nHost: preview\r\n";
         for (int i = 0; i < 2000; ++i) flood += "X-Flood: " + std::string(90, 'x') + "\r\n";
         return flood + "\r\n";
       }(),
       400, ""},
      // A body is refused before it is read.
      {"POST /100 HTTP/1.1\r\nHost: preview\r\nContent-Length: 100000\r\n\r\n" +
           std::string(100000, 'x') + "\r\n\r\n",
       405, ""},
      {"GET /100 HTTP/1.1\r\nHost: preview\r\nX-Long: " + std::string(20000, 'x') + "\r\n\r\n", 400,
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request.substr(0, 80));
    const bool whole = c.request.ends_with("\r\n\r\n");
    const std::string response = Request(port_, whole ? c.request : c.request + host);
    EXPECT_EQ(StatusOf(response), c.status) << response.substr(0, 300);
    EXPECT_NE(response.find(c.contains), std::string::npos) << response.substr(0, 600);
    EXPECT_EQ(response.find("root:"), std::string::npos);
    EXPECT_EQ(response.find("[100.0000]"), std::string::npos);
    if (StatusOf(response) != 0) {
      EXPECT_NE(response.find("X-Content-Type-Options: nosniff"), std::string::npos);
    }
  }
  // None of it hurt the server.
  EXPECT_EQ(StatusOf(Get(port_, "/100")), 200);
}

// A request line of a megabyte is refused without the server holding it, and the server goes
// on answering.
TEST_F(PreviewServerTest, AHugeRequestLineIsDropped) {
  RawConnection connection(port_);
  connection.Send("GET /" + std::string(1 << 20, 'a') + " HTTP/1.1\r\nHost: p\r\n\r\n");
  const std::string response = connection.Read(5s);
  EXPECT_TRUE(StatusOf(response) == 414 || StatusOf(response) == 400 ||
              (response.empty() && connection.Closed()))
      << response.substr(0, 200);
  EXPECT_EQ(StatusOf(Get(port_, "/100")), 200);
}

// A browser keeps its connection for a page and its pictures, and may send the next request
// before the answer to the last: each is answered, in order.
TEST_F(PreviewServerTest, AKeptConnectionAnswersEveryRequest) {
  RawConnection connection(port_);
  connection.Send("GET /101 HTTP/1.1\r\nHost: p\r\n\r\nGET /102 HTTP/1.1\r\nHost: p\r\n\r\n");
  std::string received = connection.Read(5s, "data-page=\"102\"");
  connection.Send("GET /999 HTTP/1.1\r\nHost: p\r\nConnection: close\r\n\r\n");
  received = connection.Read(5s);
  const std::size_t first = received.find("data-page=\"101\"");
  const std::size_t second = received.find("data-page=\"102\"");
  EXPECT_NE(first, std::string::npos);
  EXPECT_NE(second, std::string::npos);
  EXPECT_LT(first, second);
  EXPECT_NE(received.find("HTTP/1.1 404"), std::string::npos);
  EXPECT_TRUE(connection.Closed());
}

// A second preview on a port in use is told so, instead of sharing the port and getting every
// other request.
TEST_F(PreviewServerTest, APortInUseIsRefused) {
  TPreviewServerOptions options;
  options.Home = home_.string();
  options.ExportDir = (home_ / "Export").string() + "/";
  options.Port = port_;
  options.Fonts = &fonts_->FontSet(kFontSize1216);
  EXPECT_THROW(TPreviewServer{options}, Error);
  EXPECT_EQ(StatusOf(Get(port_, "/100")), 200);
}

// A client that sends its request a byte at a time is let go once the request's time is up.
TEST_F(PreviewServerTest, ASlowRequestIsCutOff) {
  RawConnection connection(port_);
  const auto start = std::chrono::steady_clock::now();
  connection.Send("GET /100 HTTP/1.1\r\n");
  while (!connection.Closed() && std::chrono::steady_clock::now() - start < 8s) {
    connection.Send("X");
    connection.Read(300ms);
  }
  const auto held = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(connection.Closed());
  EXPECT_GE(held, kRequestTimeLimit - 100ms);
  EXPECT_LT(held, kRequestTimeLimit + 4s);
  EXPECT_EQ(StatusOf(Get(port_, "/100")), 200);
}

// The pictures at 1x and 2x: PNGs of the picture's size, kept for good by the browser because
// their address names the generation.
TEST_F(PreviewServerTest, PicturesAtOneAndTwoTimesTheSize) {
  const std::string document = Get(port_, "/107/0002");
  std::smatch match;
  ASSERT_TRUE(
      std::regex_search(document, match, std::regex("src=\"(/image/[0-9]+/107/0002.png)\"")));
  struct Case {
    std::string address;
    std::uint32_t width, height;
  };
  const std::string one = match[1];
  const Case cases[] = {
      {one, 492, 396},
      {one.substr(0, one.size() - 4) + "@2x.png", 984, 792},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    const std::string response = Get(port_, c.address);
    ASSERT_EQ(StatusOf(response), 200);
    EXPECT_NE(response.find("Content-Type: image/png"), std::string::npos);
    EXPECT_NE(response.find("immutable"), std::string::npos);
    const std::string png = response.substr(response.find("\r\n\r\n") + 4);
    ASSERT_GT(png.size(), 24u);
    ASSERT_EQ(png.substr(1, 3), "PNG");
    const auto number = [&png](std::size_t at) {
      return (std::uint32_t(std::uint8_t(png[at])) << 24) |
             (std::uint32_t(std::uint8_t(png[at + 1])) << 16) |
             (std::uint32_t(std::uint8_t(png[at + 2])) << 8) |
             std::uint32_t(std::uint8_t(png[at + 3]));
    };
    EXPECT_EQ(number(16), c.width);
    EXPECT_EQ(number(20), c.height);
  }
}

// An open event stream hears of a new generation at once; the page then shows the new title.
// While a writer holds the home, a half-written Export/ is never taken.
TEST_F(PreviewServerTest, NewGenerationReachesOpenBrowsers) {
  RawConnection events(port_);
  events.Send("GET /events HTTP/1.1\r\nHost: preview\r\n\r\n");
  const std::string first = events.Read(5s, "\n\n");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(first, match, std::regex("event: generation\ndata: ([0-9]+)\n")))
      << first;
  const std::string firstId = match[1];

  {
    // A writer at work: Control.dat half written.
    const THomeLock writer(home_.string());
    const fs::path control = home_ / "Export" / "Control.dat";
    const std::string whole = ReadBytes(control);
    WriteBytes(control, whole.substr(0, whole.size() / 3));
    std::this_thread::sleep_for(kPreviewWatchInterval * 4);
    EXPECT_EQ(std::to_string(server_->Generation()->Id()), firstId);
    EXPECT_EQ(StatusOf(Get(port_, "/700")), 200);
    WriteBytes(control, whole);
  }

  // Every generation the server takes is announced: the restored file (a new generation of
  // the same pages), then the one with the new title.
  const std::regex event("event: generation\ndata: ([0-9]+)\n\n");
  std::vector<std::string> ids;
  const auto waitForEvents = [&](std::size_t count) {
    const auto start = std::chrono::steady_clock::now();
    while (ids.size() < count && std::chrono::steady_clock::now() - start < 20s) {
      const std::string received = events.Read(20ms);
      ids.clear();
      for (auto it = std::sregex_iterator(received.begin(), received.end(), event);
           it != std::sregex_iterator(); ++it) {
        ids.push_back((*it)[1]);
      }
    }
  };
  waitForEvents(2);
  ASSERT_EQ(ids.size(), 2u);
  GenerateNewTitle();
  waitForEvents(3);
  ASSERT_EQ(ids.size(), 3u);
  const std::string page = Get(port_, "/100");
  EXPECT_NE(page.find(kNewTitle), std::string::npos);
  EXPECT_NE(page.find("data-generation=\"" + ids.back() + "\""), std::string::npos);
}

// A hundred clients at once each fetching pages and pictures, while more event streams are
// open than the server keeps: every page is answered, the streams beyond the limit are asked
// to come back later, and the pool of workers is never used up.
TEST_F(PreviewServerTest, ManyClientsAtOnceAreAllAnswered) {
  std::vector<std::unique_ptr<RawConnection>> streams;
  int refused = 0;
  for (int i = 0; i < kPreviewMaxEventStreams + 8; ++i) {
    streams.push_back(std::make_unique<RawConnection>(port_));
    streams.back()->Send("GET /events HTTP/1.1\r\nHost: preview\r\n\r\n");
    const std::string answer = streams.back()->Read(5s, "\n\n");
    if (answer.find("retry: 10000") != std::string::npos) ++refused;
  }
  EXPECT_EQ(refused, 8);

  // Pages and their pictures, drawn for the first time by many workers at once.
  const auto generation = server_->Generation();
  const auto& pages = generation->Pages();
  std::atomic<int> answered{0};
  std::atomic<int> failed{0};
  std::vector<std::thread> clients;
  for (int client = 0; client < 100; ++client) {
    clients.emplace_back([&, client] {
      for (int i = 0; i < 10; ++i) {
        const auto& page = pages[static_cast<std::size_t>(client + i) % pages.size()];
        const std::string address =
            i % 2 == 0 ? "/" + page.Number
                       : PictureAddress(generation->Id(), page.Number,
                                        page.SubPages.front().SubPage, 1 + client % 2);
        const int status = StatusOf(Get(port_, address));
        (status == 200 ? answered : failed)++;
      }
    });
  }
  for (std::thread& client : clients) client.join();
  EXPECT_EQ(answered.load(), 1000);
  EXPECT_EQ(failed.load(), 0);
}

TEST(ListenAddressTest, AddressAndPort) {
  struct Case {
    std::string text;
    std::optional<TListenAddress> parsed;
    bool loopback;
  };
  const Case cases[] = {
      {"127.0.0.1:8470", TListenAddress{"127.0.0.1", 8470}, true},
      {":9000", TListenAddress{"127.0.0.1", 9000}, true},
      {"127.0.0.2:0", TListenAddress{"127.0.0.2", 0}, true},
      {"[::1]:8470", TListenAddress{"::1", 8470}, true},
      {"localhost:80", TListenAddress{"localhost", 80}, true},
      {"0.0.0.0:8470", TListenAddress{"0.0.0.0", 8470}, false},
      {"192.168.1.5:8470", TListenAddress{"192.168.1.5", 8470}, false},
      {"[::]:8470", TListenAddress{"::", 8470}, false},
      {"127.example.com:80", TListenAddress{"127.example.com", 80}, false},
      {"8470", std::nullopt, false},
      {"127.0.0.1:", std::nullopt, false},
      {"127.0.0.1:65536", std::nullopt, false},
      {"127.0.0.1:-1", std::nullopt, false},
      {"::1:8470", std::nullopt, false},
      {"[::1:8470", std::nullopt, false},
      {"a b:80", std::nullopt, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto parsed = ParseListenAddress(c.text);
    EXPECT_EQ(parsed, c.parsed);
    if (parsed) {
      EXPECT_EQ(IsLoopbackAddress(parsed->Address), c.loopback);
    }
  }
}

// Page text is text, never markup: what a feed put on a page is escaped in the text layer.
TEST(PreviewDocumentTest, PageTextIsEscapedAndItsNumbersAreLinks) {
  TPrestPage page = TPrestPage::Blank(kCharSetEnglish);
  const std::string row = "<script>&\"x' 123";
  std::copy(row.begin(), row.end(), page.Cells.begin() + 3 * kPageColumns);
  const TPreviewGeneration generation(7, {{"100", {{"0000", page, std::nullopt}}}});
  const std::string html =
      SubPageDocument(generation, generation.Pages()[0], generation.Pages()[0].SubPages[0]);
  EXPECT_NE(html.find("&lt;script&gt;&amp;&quot;x&#39; <a href=\"/123\">123</a>"),
            std::string::npos)
      << html;
  EXPECT_EQ(html.find("<script>&"), std::string::npos);
  EXPECT_EQ(html.find("class=\"row prompts\""), std::string::npos);
  EXPECT_NE(html.find("/image/7/100/0000@2x.png 2x"), std::string::npos);
}

// The real program: usage errors, and SIGTERM ends a server with a browser's event stream open.
TEST(ServeCommandTest, UsageAndStopOnSigterm) {
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string text;
  };
  const Case cases[] = {
      {{"serve", "--help"}, 0, "--listen ADDRESS:PORT"},
      {{"serve", "--listen"}, 2, "--listen needs ADDRESS:PORT"},
      {{"serve", "--listen", "127.0.0.1:70000"}, 2, "not '127.0.0.1:70000'"},
      {{"serve", "--port", "1"}, 2, "unknown argument '--port'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    std::vector<std::string> arguments = {kProgram};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    tavrel::testing::ChildProcess child(arguments);
    ASSERT_EQ(child.Finish(10s), c.exitCode);
    EXPECT_NE((child.Out + child.Err).find(c.text), std::string::npos) << child.Out << child.Err;
  }

  testing::TempFolder temp;
  const fs::path home = temp.Root() / "home";
  fs::copy(TAVREL_SOURCE_DIR "/data/sample", home, fs::copy_options::recursive);
  tavrel::testing::ChildProcess serve(
      {kProgram, "--home", home.string(), "serve", "--listen", "127.0.0.1:0"});
  ASSERT_TRUE(serve.WaitForOutput("pages)\n", 20s)) << serve.Out << serve.Err;
  std::smatch match;
  ASSERT_TRUE(std::regex_search(serve.Out, match, std::regex("http://127\\.0\\.0\\.1:([0-9]+)/")));
  const int port = std::stoi(match[1]);
  // Nothing generated yet: the first page says so.
  EXPECT_NE(Get(port, "/").find("No pages have been generated yet."), std::string::npos);
  RawConnection events(port);
  events.Send("GET /events HTTP/1.1\r\nHost: preview\r\n\r\n");
  ASSERT_NE(events.Read(5s, "\n\n").find("event: generation"), std::string::npos);

  const auto signalled = std::chrono::steady_clock::now();
  serve.Signal(SIGTERM);
  EXPECT_EQ(serve.Finish(10s), 0) << serve.Out << serve.Err;
  EXPECT_LT(std::chrono::steady_clock::now() - signalled, 5s);
  EXPECT_NE(serve.Out.find("Stopped"), std::string::npos);
  events.Read(2s);
  EXPECT_TRUE(events.Closed());
}

}  // namespace
}  // namespace tavrel

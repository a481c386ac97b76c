#pragma once

#include <QMetaObject>
#include <QObject>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <type_traits>
#include <utility>

namespace tavrel::gui {

// Runs one piece of work off the window's thread and hands its result to a callback on the
// thread of a receiver object, so that the window keeps painting while a feed is fetched, pages
// are generated or a server is asked. The work gets a stop token; a stop is requested by
// RequestStop and when the call goes. The callback never runs once the call or the receiver is
// gone: the call cuts the way back before it goes, and Qt drops a queued call to a deleted
// receiver.
//
// When the call goes while its work still runs, it requests a stop and waits for the work to
// end: work must watch its stop token (a server that never answers included), so that no thread
// outlives the window that started it.
class TBackgroundCall {
 public:
  TBackgroundCall() = default;
  ~TBackgroundCall() {
    CutWayBack();
    stop_.request_stop();
    Wait();
  }
  TBackgroundCall(const TBackgroundCall&) = delete;
  TBackgroundCall& operator=(const TBackgroundCall&) = delete;

  // Runs work(stopToken) on a thread of its own, then done(result) on receiver's thread (done()
  // when the work answers nothing). A call that has not finished yet is waited for first.
  template <class Work, class Done>
  void Start(QObject* receiver, Work work, Done done) {
    Wait();
    stop_ = std::stop_source();
    link_ = std::make_shared<TLink>();
    link_->Receiver = receiver;
    thread_ = std::thread([link = link_, token = stop_.get_token(), work = std::move(work),
                           done = std::move(done)]() mutable {
      if constexpr (std::is_void_v<std::invoke_result_t<Work&, std::stop_token>>) {
        work(token);
        PostBack(*link, [done = std::move(done)]() mutable { done(); });
      } else {
        auto result = work(token);
        PostBack(*link, [done = std::move(done), result = std::move(result)]() mutable {
          done(std::move(result));
        });
      }
    });
  }

  // The stop of the running (or last) call; a dialog's Cancel can be wired to it.
  std::stop_source StopSource() const { return stop_; }
  void RequestStop() { stop_.request_stop(); }
  // Waits for the work to end (its callback may still be queued).
  void Wait() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  struct TLink {
    std::mutex Mutex;
    QObject* Receiver = nullptr;
  };

  template <class Callback>
  static void PostBack(TLink& link, Callback callback) {
    const std::lock_guard lock(link.Mutex);
    if (link.Receiver == nullptr) return;
    QMetaObject::invokeMethod(link.Receiver, std::move(callback), Qt::QueuedConnection);
  }

  void CutWayBack() {
    if (!link_) return;
    const std::lock_guard lock(link_->Mutex);
    link_->Receiver = nullptr;
  }

  std::stop_source stop_;
  std::shared_ptr<TLink> link_;
  std::thread thread_;
};

}  // namespace tavrel::gui

#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace tavrel::gui {

// One window per user: the first start listens on a local server named by
// SingleInstanceServerName; a later start finds it, asks it to raise its window, and ends.
class TSingleInstance : public QObject {
  Q_OBJECT

 public:
  // What a later start sends, and what the first answers once its window is up.
  static constexpr const char* kRaiseRequest = "raise\n";
  static constexpr const char* kRaisedReply = "raised\n";

  explicit TSingleInstance(QString serverName, QObject* parent = nullptr);

  // Answers true when another instance runs and has been asked to raise its window (this start
  // should then end). Otherwise this instance becomes the first: a socket left behind by a
  // crashed first instance is removed and the server listens. Throws nothing; when the server
  // cannot listen the program still runs, only without the single-instance guard.
  bool AskRunningInstanceToRaise();

  // Called on the window's thread for each raise request of a later start.
  void SetRaiseHandler(std::function<void()> handler) { raise_ = std::move(handler); }

  bool Listening() const { return server_ != nullptr && server_->isListening(); }

 private:
  void AcceptConnection();

  QString serverName_;
  std::unique_ptr<QLocalServer> server_;
  std::function<void()> raise_;
};

}  // namespace tavrel::gui

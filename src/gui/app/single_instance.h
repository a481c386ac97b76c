#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace tavrel::gui {

// One window per user: the first start listens on a local server named by
// SingleInstanceServerName; a later start finds it, asks it to raise its window, and ends. The
// request names the home the later start was given and the answer the home of the running
// window, so that a start for another home can say why it opened nothing.
class TSingleInstance : public QObject {
  Q_OBJECT

 public:
  // What a later start sends, and what the first answers: one line each, the word and, after a
  // space, a home folder (UTF-8). A request of the word alone names no home.
  static constexpr const char* kRaiseRequest = "raise";
  static constexpr const char* kRaisedReply = "raised";

  // home is this start's home folder: sent with a raise request, and answered to later starts
  // when this instance is the first.
  explicit TSingleInstance(QString serverName, QString home = QString(), QObject* parent = nullptr);

  // Answers true when another instance runs and has been asked to raise its window (this start
  // should then end); runningHome, when given, then receives the home of that window (empty
  // when it named none). Otherwise this instance becomes the first: a socket left behind by a
  // crashed first instance is removed and the server listens. Throws nothing; when the server
  // cannot listen the program still runs, only without the single-instance guard.
  bool AskRunningInstanceToRaise(QString* runningHome = nullptr);

  // Called on the window's thread for each raise request of a later start, with the home that
  // start was given (empty when it named none).
  void SetRaiseHandler(std::function<void(const QString& askedHome)> handler) {
    raise_ = std::move(handler);
  }

  bool Listening() const { return server_ != nullptr && server_->isListening(); }

 private:
  void AcceptConnection();

  QString serverName_;
  QString home_;
  std::unique_ptr<QLocalServer> server_;
  std::function<void(const QString&)> raise_;
};

}  // namespace tavrel::gui

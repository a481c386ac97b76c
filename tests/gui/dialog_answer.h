#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/lang_message_dlg.h"

namespace tavrel::gui::testing {

// Runs `answer` on the modal dialog that the next exec() shows, once it is up.
inline void AnswerNextModal(std::function<void(QWidget*)> answer) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    answer(modal);
  });
  timer->start();
}

// The child of `parent` with that object name. A missing one throws, which fails the running
// test with the name in its message (a renamed control must not crash the whole test binary).
template <typename T>
T* Find(const QObject* parent, const QString& name) {
  T* child = parent != nullptr ? parent->findChild<T*>(name) : nullptr;
  if (child == nullptr) {
    throw std::runtime_error("no " + std::string(T::staticMetaObject.className()) + " named \"" +
                             name.toStdString() + "\" under " +
                             (parent != nullptr ? parent->objectName().toStdString() : "nothing"));
  }
  return child;
}

// Triggers the action of that name under `parent`; throws, failing the test, when it is missing
// or disabled, as an operator could not reach it either.
inline void Trigger(const QObject* parent, const QString& name) {
  QAction* action = Find<QAction>(parent, name);
  if (!action->isEnabled()) {
    throw std::runtime_error("the action \"" + name.toStdString() + "\" is disabled");
  }
  action->trigger();
}

// Answers the next modal dialog while in scope. A box that has not opened by the time the scope
// ends, or within the time-out, fails the test; the timer never outlives the scope, so it
// cannot reach a finished test's locals.
class TScopedModalAnswer {
 public:
  explicit TScopedModalAnswer(std::function<void(QWidget*)> answer,
                              std::chrono::milliseconds timeOut = std::chrono::seconds(10))
      : answer_(std::move(answer)), timer_(new QTimer) {
    timer_->setInterval(10);
    const auto deadline = std::chrono::steady_clock::now() + timeOut;
    QObject::connect(timer_, &QTimer::timeout, [this, deadline] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal != nullptr && modal->isVisible()) {
        timer_->stop();
        answered_ = true;
        answer_(modal);
      } else if (std::chrono::steady_clock::now() > deadline) {
        timer_->stop();
        timedOut_ = true;
        ADD_FAILURE() << "no modal dialog opened within the time-out";
      }
    });
    timer_->start();
  }
  ~TScopedModalAnswer() {
    if (!answered_ && !timedOut_) ADD_FAILURE() << "the expected modal dialog never opened";
    delete timer_;
  }
  TScopedModalAnswer(const TScopedModalAnswer&) = delete;
  TScopedModalAnswer& operator=(const TScopedModalAnswer&) = delete;

  bool Answered() const { return answered_; }

 private:
  std::function<void(QWidget*)> answer_;
  QTimer* timer_;
  bool answered_ = false;
  bool timedOut_ = false;
};

// Answers every message box that comes up while it lives with the given button, and keeps the
// boxes' kinds and texts.
class TMessageBoxes {
 public:
  explicit TMessageBoxes(TMsgDlgBtn answer = TMsgDlgBtn::OK) {
    QObject::connect(&timer_, &QTimer::timeout, [this, answer] {
      QWidget* box = QApplication::activeModalWidget();
      if (box == nullptr || box->objectName() != "LangMessageDlg" || !box->isVisible()) return;
      Captions.push_back(box->windowTitle().toStdString());
      Texts.push_back(box->findChild<QLabel*>("Message")->accessibleName().toStdString());
      QTest::mouseClick(box->findChild<QPushButton*>(MessageButtonObjectName(answer)),
                        Qt::LeftButton);
    });
    timer_.start(5);
  }
  std::vector<std::string> Captions;
  std::vector<std::string> Texts;

 private:
  QTimer timer_;
};

}  // namespace tavrel::gui::testing

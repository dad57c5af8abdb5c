// A dialog host for the windows' tests: answers the message boxes and input
// boxes from queues, and records every box and every "open".
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QThread>
#include <deque>
#include <optional>
#include <utility>

#include "gui/dialog_host.h"

class ScriptedHost : public DialogHost {
 public:
  struct Box {
    QString title, text;
    Icon icon;
    Buttons buttons;
  };

  ScriptedHost() { before_ = set_dialog_host(this); }
  ~ScriptedHost() override { set_dialog_host(before_); }
  ScriptedHost(const ScriptedHost&) = delete;
  ScriptedHost& operator=(const ScriptedHost&) = delete;

  Answer message(QWidget*, const QString& title, const QString& text, Icon icon, Buttons buttons) override {
    note_thread();
    boxes.push_back({title, text, icon, buttons});
    if (buttons == Buttons::Ok) return Answer::Ok;
    if (answers.empty()) return Answer::Cancel;
    Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::optional<QString> input(QWidget*, const QString& title, const QString& prompt) override {
    boxes.push_back({title, prompt, Icon::Question, Buttons::OkCancel});
    if (inputs.empty()) return std::nullopt;
    std::optional<QString> a = std::exchange(inputs.front(), std::nullopt);
    inputs.pop_front();
    return a;
  }
  void open(QWidget*, const QString& target) override {
    note_thread();
    opened.push_back(target);
  }

  // The texts of the boxes shown so far.
  QStringList texts() const {
    QStringList t;
    for (const Box& b : boxes) t.push_back(b.text);
    return t;
  }

  // Boxes and opens asked for from a thread other than the window thread.
  int off_thread = 0;
  std::deque<Answer> answers;                 // for boxes with a choice; Cancel when empty
  std::deque<std::optional<QString>> inputs;  // for input boxes; cancelled when empty
  std::vector<Box> boxes;
  QStringList opened;

 private:
  void note_thread() {
    if (QThread::currentThread() != QCoreApplication::instance()->thread()) ++off_thread;
  }
  DialogHost* before_ = nullptr;
};

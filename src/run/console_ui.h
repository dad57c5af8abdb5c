// The command line's RunUi: messages on standard error, questions never asked,
// progress on one self-overwriting status line when standard error is a
// terminal.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "run/run_ui.h"

class ConsoleUi : public RunUi {
 public:
  explicit ConsoleUi(std::FILE* err = stderr);
  ~ConsoleUi() override;

  void message(const std::string& title, const std::string& text, Icon icon) override;
  Answer ask(const std::string& title, const std::string& text, Icon icon, Buttons buttons) override;
  void progress(Label label, std::int64_t num, std::int64_t total) override;
  void clear_progress() override;
  void open(const std::string&) override {}
  void warn(const std::string& text) override;

 private:
  void erase_status();
  void draw_status();

  std::FILE* err_;
  bool tty_;
  std::string syori_, syosai_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point last_draw_{};
};

// The command line's RunUi: messages on standard error, questions never asked.
//
// When standard error is a terminal the run's progress shows on one status
// line there, rewritten in place ("\r" ESC "[K"): the step in words, its
// progress number, the detail within the step as a percentage and a bar, and
// while mailboxes are read the file's name, messages per second and the time
// left. The line is drawn at most once per 100 ms (a step that begins, and a
// detail that reaches its end, are drawn at once) and never wider than the
// terminal. A successful run ends with one summary line. Off a terminal only
// the messages are written.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "core/run_ui.h"

class ConsoleUi : public RunUi {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  struct Options {
    std::optional<bool> terminal;  // unset: whether the stream is a terminal
    Clock clock;                   // unset: std::chrono::steady_clock::now
    int columns = 0;               // 0: COLUMNS, else the terminal's width, else 80
  };

  explicit ConsoleUi(std::FILE* err = stderr);
  ConsoleUi(std::FILE* err, Options options);
  ~ConsoleUi() override;

  void message(const std::string& title, const std::string& text, Icon icon) override;
  Answer ask(const std::string& title, const std::string& text, Icon icon, Buttons buttons) override;
  void progress(Label label, std::int64_t num, std::int64_t total) override;
  void clear_progress() override;
  void step(Step kind, std::int64_t num, std::int64_t total) override;
  void read_file(const std::string& path, std::int64_t run_bytes) override;
  void read_progress(const ReadProgress& p) override;
  void deleted(std::int64_t files) override;
  void waiting(const std::string& folder) override;
  void finished(const RunSummary& summary) override;
  void open(const std::string&) override {}
  void warn(const std::string& text) override;

 private:
  using TimePoint = std::chrono::steady_clock::time_point;

  TimePoint now() const { return clock_ ? clock_() : std::chrono::steady_clock::now(); }
  int columns() const;
  // Draws when forced, or when 100 ms have passed since the last draw.
  void update(bool force);
  void erase_status();
  void draw_status();
  std::string status_line(int width, TimePoint at) const;
  // Messages per second and the time left while mailboxes are read; both
  // stay empty in the first second.
  void reading_pace(TimePoint at, std::string& rate, std::string& left) const;

  std::FILE* err_;
  bool tty_;
  Clock clock_;
  int columns_;

  // What the line shows. kind_ is unset while the step is only known by its
  // number (progress() of the Syori_no label).
  std::optional<Step> kind_;
  std::int64_t step_num_ = 0, step_total_ = 0;      // total 0: no number
  std::int64_t detail_num_ = 0, detail_total_ = 0;  // total 0: no detail
  std::string file_;                                // base name of the file read
  std::int64_t run_bytes_ = 0;                      // bytes of all input files
  std::int64_t done_bytes_ = 0;                     // bytes of the files read before this one
  std::int64_t file_bytes_ = 0, file_size_ = 0;     // of the file read now
  std::int64_t messages_ = 0;
  std::optional<TimePoint> read_start_;  // when the first file began
  std::int64_t deleted_ = 0;

  bool shown_ = false;  // the status line stands on the screen
  std::optional<TimePoint> last_draw_;
};

// What a conversion run needs from whoever started it: message boxes,
// questions, the two progress labels and the shell's "open" action. The
// command line and the window each supply one. Every text is UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class RunUi {
 public:
  enum class Icon { Critical, Warning, Question, Information };
  enum class Buttons { Ok, OkCancel, YesNoCancel };
  enum class Answer { Ok, Cancel, Yes, No };
  enum class Label { Syori_no, Syosai_no };

  virtual ~RunUi() = default;
  // Line breaks inside text are CR or CR LF, as the messages are written.
  virtual void message(const std::string& title, const std::string& text, Icon icon) = 0;
  virtual Answer ask(const std::string& title, const std::string& text, Icon icon, Buttons buttons) = 0;
  // A label shows "(" num "／" total ")"; called as often as every line.
  virtual void progress(Label label, std::int64_t num, std::int64_t total) = 0;
  virtual void clear_progress() = 0;
  virtual void open(const std::string& path) = 0;
  // A warning that does not stop the run (the window shows a box, the command
  // line a line on standard error).
  virtual void warn(const std::string& text) = 0;
};

// A RunUi that shows nothing and answers Cancel; for tests and for steps run
// without a front end.
class SilentUi : public RunUi {
 public:
  void message(const std::string& title, const std::string& text, Icon) override {
    messages.push_back(title + ": " + text);
  }
  Answer ask(const std::string& title, const std::string& text, Icon, Buttons) override {
    messages.push_back(title + ": " + text);
    return answer;
  }
  void progress(Label, std::int64_t, std::int64_t) override {}
  void clear_progress() override {}
  void open(const std::string&) override {}
  void warn(const std::string& text) override { messages.push_back(text); }

  Answer answer = Answer::Cancel;
  std::vector<std::string> messages;
};

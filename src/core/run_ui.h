// What a conversion run needs from whoever started it: message boxes,
// questions, the two progress labels and the shell's "open" action. The
// command line and the window each supply one. Every text is UTF-8.
//
// Besides the two labels the run tells what it is doing in typed calls
// (step, read_file, read_progress, deleted, finished). Their defaults feed
// the labels or do nothing, so a front end that shows only the labels
// overrides none of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/run_steps.h"

class RunUi {
 public:
  enum class Icon { Critical, Warning, Question, Information };
  enum class Buttons { Ok, OkCancel, YesNoCancel };
  enum class Answer { Ok, Cancel, Yes, No };
  enum class Label { Syori_no, Syosai_no };
  // The steps of a run, listed with their words and numbers in run_steps.h.
  using Step = RunStep;

  // Where the reading of one mailbox file stands.
  struct ReadProgress {
    std::int64_t bytes = 0;     // bytes of the file read so far, 0 to size
    std::int64_t size = 0;      // the file's size in bytes
    std::int64_t messages = 0;  // messages the run has found so far, over all its files
  };

  // What a successful run did.
  struct RunSummary {
    std::int64_t added = 0;     // messages that got an entry of their own
    std::int64_t replaced = 0;  // messages that took over the entry of one with the same Message-ID
    std::int64_t pages = 0;     // message pages written
    double seconds = 0;         // wall time of the run
    std::int64_t skipped = 0;   // messages left out because they were removed from the archive
    std::int64_t removed = 0;   // messages a removal took out of the archive
  };

  virtual ~RunUi() = default;
  // Line breaks inside text are CR or CR LF, as the messages are written.
  virtual void message(const std::string& title, const std::string& text, Icon icon) = 0;
  virtual Answer ask(const std::string& title, const std::string& text, Icon icon, Buttons buttons) = 0;
  // A label shows "(" num "／" total ")"; called as often as every line.
  virtual void progress(Label label, std::int64_t num, std::int64_t total) = 0;
  virtual void clear_progress() = 0;
  // A step begins; num and total are the run's progress number.
  virtual void step(Step /*kind*/, std::int64_t num, std::int64_t total) { progress(Label::Syori_no, num, total); }
  // The Reading step's file, and the bytes of all the run's input files.
  virtual void read_file(const std::string& /*path*/, std::int64_t /*run_bytes*/) {}
  // Called every few dozen kilobytes of the file and when it is through.
  virtual void read_progress(const ReadProgress& p) { progress(Label::Syosai_no, p.bytes, p.size); }
  // A rebuild has deleted this many old files so far.
  virtual void deleted(std::int64_t /*files*/) {}
  // Another run holds the output folder; this one waits for it to end.
  virtual void waiting(const std::string& /*folder*/) {}
  // The run ended well; called once, after its last step.
  virtual void finished(const RunSummary& /*summary*/) {}
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

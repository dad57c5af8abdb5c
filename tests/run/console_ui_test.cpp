#include "run/console_ui.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "archive/message_page.h"
#include "core/common_text.h"
#include "core/file_info.h"
#include "core/folder_list.h"
#include "core/workspace.h"
#include "mail/mailbox.h"
#include "run/archive_sink.h"
#include "run/conversion.h"
#include "settings/settings_file.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using Step = RunUi::Step;

std::string contents(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string s;
  for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
  return s;
}

constexpr char kRewrite[] = "\r\x1b[K";

// Columns a line takes: every character outside ASCII that these tests show
// (kana, kanji, the full-width solidus) takes two.
int columns_of(const std::string& s) {
  int w = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++w;
    } else if (c >= 0xC0) {
      w += 2;
    }
  }
  return w;
}

// A ConsoleUi on a terminal that is a temporary file, with a clock the test
// moves by hand.
struct Screen {
  explicit Screen(int columns = 120) : file(std::tmpfile()) {
    ConsoleUi::Options o;
    o.terminal = true;
    o.clock = [this] { return now; };
    o.columns = columns;
    ui = std::make_unique<ConsoleUi>(file, o);
  }
  ~Screen() {
    ui.reset();
    std::fclose(file);
  }
  std::string out() { return contents(file); }
  // Every status line drawn so far, in order.
  std::vector<std::string> draws() {
    const std::string s = out();
    std::vector<std::string> lines;
    for (std::size_t p = s.find(kRewrite); p != std::string::npos;) {
      const std::size_t from = p + sizeof kRewrite - 1;
      const std::size_t next = s.find(kRewrite, from);
      std::string line = s.substr(from, next == std::string::npos ? std::string::npos : next - from);
      if (!line.empty()) lines.push_back(line);
      p = next;
    }
    return lines;
  }
  std::string last() {
    auto d = draws();
    return d.empty() ? std::string() : d.back();
  }
  void wait(std::chrono::milliseconds d) { now += d; }

  std::FILE* file;
  std::chrono::steady_clock::time_point now{};
  std::unique_ptr<ConsoleUi> ui;
};

TEST(ConsoleUi, MessagesAsTitleAndTextLinesWithoutProgressWhenNotATerminal) {
  struct Case {
    const char* name;
    std::optional<bool> terminal;  // unset: decided by the stream (a file here)
  };
  for (const Case& c : {Case{"decided by the stream", std::nullopt}, Case{"told it is none", false}}) {
    SCOPED_TRACE(c.name);
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    {
      ConsoleUi::Options o;
      o.terminal = c.terminal;
      ConsoleUi ui(f, o);
      ui.deleted(3);
      ui.step(Step::Reading, 1, 6);
      ui.read_file("/in/a.mbx", 100);
      ui.read_progress({50, 100, 7});
      ui.progress(RunUi::Label::Syori_no, 1, 6);
      ui.progress(RunUi::Label::Syosai_no, 10, 200);
      ui.message("エラー", "a\r\nb\rc", RunUi::Icon::Critical);
      EXPECT_EQ(ui.ask("確認", "x", RunUi::Icon::Question, RunUi::Buttons::YesNoCancel), RunUi::Answer::Cancel);
      ui.warn("警告: w");
      ui.clear_progress();
      ui.finished({1, 2, 3, 4.0});
    }
    EXPECT_EQ(contents(f), "エラー: a\nb\nc\n警告: w\n");
    std::fclose(f);
  }
}

TEST(ConsoleUi, EachStepShowsItsWordsNumberPercentAndBar) {
  struct Case {
    Step kind;
    const char* words;
  };
  const Case cases[] = {
      {Step::Reading, "読み込み"},         {Step::Threads, "スレッド"},
      {Step::Ranking, "ランキング"},       {Step::Index, "索引"},
      {Step::Restyle, "再装飾"},           {Step::Menu, "一覧"},
      {Step::ThreadLists, "スレッド一覧"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.words);
    Screen s;
    s.ui->step(c.kind, 3, 7);
    std::string line = s.last();
    EXPECT_EQ(line.rfind(std::string(c.words) + " (3／7)", 0), 0u) << line;
    EXPECT_EQ(line.find('%'), std::string::npos) << "no detail yet: " << line;

    s.wait(200ms);
    if (c.kind == Step::Reading) {
      s.ui->read_file("/mail/in.mbx", 400);
      s.wait(200ms);
      s.ui->read_progress({100, 400, 3});
    } else {
      s.ui->progress(RunUi::Label::Syosai_no, 1, 4);
    }
    line = s.last();
    EXPECT_EQ(line.rfind(std::string(c.words) + " (3／7)", 0), 0u) << line;
    EXPECT_NE(line.find(" 25% [#####---------------]"), std::string::npos) << line;
    EXPECT_EQ(line.find("in.mbx") != std::string::npos, c.kind == Step::Reading) << line;
    EXPECT_EQ(line.find("/mail/"), std::string::npos) << "the base name only: " << line;

    s.wait(200ms);
    s.ui->progress(RunUi::Label::Syosai_no, 4, 4);
    EXPECT_NE(s.last().find("100% [####################]"), std::string::npos) << s.last();
  }
}

TEST(ConsoleUi, StepKnownOnlyByItsNumberStillShows) {
  Screen s;
  s.ui->progress(RunUi::Label::Syori_no, 2, 6);
  EXPECT_EQ(s.last(), "(2／6)");
}

TEST(ConsoleUi, DrawsAtMostEveryHundredMillisecondsButStepsAndEndsAtOnce) {
  Screen s;
  s.ui->step(Step::Threads, 5, 9);
  ASSERT_EQ(s.draws().size(), 1u);
  struct Tick {
    const char* name;
    std::chrono::milliseconds after;
    std::int64_t num, total;
    bool drawn;
  };
  const Tick ticks[] = {
      {"right after the step", 10ms, 1, 100, false},      {"99 ms after the step", 89ms, 2, 100, false},
      {"100 ms after the step", 1ms, 3, 100, true},       {"50 ms after that", 50ms, 4, 100, false},
      {"every line for 49 ms more", 49ms, 5, 100, false}, {"the detail's end", 1ms, 100, 100, true},
  };
  std::size_t expected = 1;
  for (const Tick& t : ticks) {
    SCOPED_TRACE(t.name);
    s.wait(t.after);
    s.ui->progress(RunUi::Label::Syosai_no, t.num, t.total);
    if (t.drawn) ++expected;
    EXPECT_EQ(s.draws().size(), expected);
  }
  // A run of calls as dense as every line, over one simulated second.
  for (int k = 0; k < 1000; ++k) {
    s.wait(1ms);
    s.ui->progress(RunUi::Label::Syosai_no, k, 1000);
  }
  EXPECT_LE(s.draws().size(), expected + 10);
  EXPECT_GE(s.draws().size(), expected + 9);
  // A step that begins shows at once, however soon.
  s.ui->step(Step::Index, 6, 9);
  EXPECT_EQ(s.last().rfind("索引", 0), 0u) << s.last();
}

TEST(ConsoleUi, LineFitsTheWidthCuttingTheFileNameFirst) {
  const std::string name = std::string(60, 'n') + "受信箱.mbx";
  struct Case {
    const char* name;
    int columns;
    bool whole_name, some_name, bar;
  };
  const Case cases[] = {
      {"wide", 200, true, true, true},
      {"80 columns", 80, false, true, true},
      {"narrow", 40, false, false, true},
      {"very narrow", 12, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Screen s(c.columns);
    s.ui->step(Step::Reading, 12, 16);
    s.ui->read_file("/var/mail/" + name, 1000);
    s.wait(2000ms);
    s.ui->read_progress({500, 1000, 1234});
    const std::string line = s.last();
    EXPECT_LE(columns_of(line), c.columns - 1) << line;
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line.rfind("読み込み", 0), 0u) << line;
    EXPECT_EQ(line.find(name) != std::string::npos, c.whole_name) << line;
    EXPECT_EQ(line.find("nnnn") != std::string::npos, c.some_name) << line;
    if (c.some_name && !c.whole_name) {
      EXPECT_NE(line.find("..."), std::string::npos) << line;
    }
    EXPECT_EQ(line.find("[#") != std::string::npos, c.bar) << line;
    if (c.columns >= 40) {
      EXPECT_NE(line.find(" 50%"), std::string::npos) << line;
    }
  }
}

TEST(ConsoleUi, FileNameCannotMoveTheCursor) {
  Screen s;
  s.ui->step(Step::Reading, 1, 5);
  s.ui->read_file("/in/a\x1b[2Jb\r\xff.mbx", 10);
  const std::string line = s.last();
  EXPECT_EQ(line.find('\x1b'), std::string::npos) << line;
  EXPECT_EQ(line.find('\r'), std::string::npos) << line;
  EXPECT_NE(line.find("a?[2Jb??.mbx"), std::string::npos) << line;
}

TEST(ConsoleUi, RateAndTimeLeftFromTheBytesOfAllInputs) {
  Screen s;
  s.ui->step(Step::Reading, 1, 6);
  s.ui->read_file("a.mbx", 1000);  // a: 500 bytes, b: 500 bytes
  s.wait(500ms);
  s.ui->read_progress({125, 500, 50});
  EXPECT_EQ(s.last().find("残り"), std::string::npos) << "not yet a second: " << s.last();
  EXPECT_EQ(s.last().find("通/秒"), std::string::npos) << s.last();

  s.wait(1500ms);
  s.ui->read_progress({250, 500, 100});  // a quarter in 2 s: 6 s to go
  EXPECT_NE(s.last().find(" 50 通/秒"), std::string::npos) << s.last();
  EXPECT_NE(s.last().find("残り 0:06"), std::string::npos) << s.last();

  s.wait(2000ms);
  s.ui->read_progress({500, 500, 200});
  s.ui->step(Step::Reading, 2, 6);
  s.ui->read_file("b.mbx", 1000);
  s.wait(1000ms);
  s.ui->read_progress({250, 500, 300});  // three quarters in 5 s
  EXPECT_NE(s.last().find("b.mbx"), std::string::npos) << s.last();
  EXPECT_NE(s.last().find("残り 0:02"), std::string::npos) << s.last();
  EXPECT_NE(s.last().find(" 60 通/秒"), std::string::npos) << s.last();

  s.ui->step(Step::Threads, 3, 6);
  EXPECT_EQ(s.last().find("残り"), std::string::npos) << "reading only: " << s.last();
  EXPECT_EQ(s.last().find("b.mbx"), std::string::npos) << s.last();
}

TEST(ConsoleUi, DeletionShowsTheFilesRemovedSoFar) {
  Screen s;
  for (int k = 1; k <= 250; ++k) {
    s.ui->deleted(k);
    if (k == 1) {
      EXPECT_EQ(s.last(), "削除 1 ファイル") << "the first one at once";
    }
    s.wait(1ms);
  }
  EXPECT_LE(s.draws().size(), 4u);
  s.wait(100ms);
  s.ui->deleted(1250);
  EXPECT_EQ(s.last(), "削除 1,250 ファイル");
  s.ui->step(Step::Reading, 1, 5);
  EXPECT_EQ(s.last().rfind("読み込み", 0), 0u);
}

TEST(ConsoleUi, WaitingForAnotherRunIsShownUntilTheRunGoesOn) {
  Screen s;
  s.ui->waiting("/web/list");
  EXPECT_EQ(s.last(), "待機中: /web/list は別の vorn_htm が使用中です");
  s.ui->step(Step::Reading, 1, 5);
  EXPECT_EQ(s.last().rfind("読み込み", 0), 0u);
}

TEST(ConsoleUi, SummaryReplacesTheStatusLine) {
  Screen s;
  s.ui->step(Step::Menu, 4, 5);
  s.ui->finished({1234, 5, 1239, 12.34});
  const std::string out = s.out();
  const std::string summary = "完了: 追加 1,234 件 / 置換 5 件 / ページ 1,239 / 12.3 秒\n";
  ASSERT_GE(out.size(), summary.size());
  EXPECT_EQ(out.substr(out.size() - summary.size()), summary);
  EXPECT_EQ(out.substr(out.size() - summary.size() - 4, 4), kRewrite) << "the status line is erased first";
  s.ui.reset();
  EXPECT_EQ(s.out().substr(s.out().size() - summary.size()), summary) << "nothing after the summary";
}

// Messages left out as removed, and messages a removal took out, are named
// on the summary line only when there were any.
TEST(ConsoleUi, SummaryNamesSkippedAndRemovedMessages) {
  struct Row {
    const char* name;
    RunUi::RunSummary summary;
    const char* line;
  } rows[] = {
      {"none", {3, 0, 3, 1.0, 0, 0}, "完了: 追加 3 件 / 置換 0 件 / ページ 3 / 1.0 秒\n"},
      {"skipped", {3, 1, 4, 1.0, 2, 0}, "完了: 追加 3 件 / 置換 1 件 / 除外 2 件 / ページ 4 / 1.0 秒\n"},
      {"removed", {0, 0, 0, 0.5, 0, 1500}, "完了: 追加 0 件 / 置換 0 件 / 削除 1,500 件 / ページ 0 / 0.5 秒\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Screen s;
    s.ui->finished(r.summary);
    const std::string out = s.out();
    const std::string line = r.line;
    ASSERT_GE(out.size(), line.size());
    EXPECT_EQ(out.substr(out.size() - line.size()), line);
  }
}

TEST(ConsoleUi, MessageKeepsTheStatusLineBelowIt) {
  Screen s;
  s.ui->step(Step::Index, 2, 5);
  s.ui->warn("警告: w");
  const std::string out = s.out();
  EXPECT_NE(out.find(std::string(kRewrite) + "警告: w\n"), std::string::npos) << out;
  EXPECT_EQ(s.last().rfind("索引", 0), 0u) << "drawn again below the message";
  s.ui->clear_progress();
  EXPECT_EQ(s.out().substr(s.out().size() - 4), kRewrite);
}

// Records the typed calls of a run.
struct RecordingUi : SilentUi {
  void step(Step kind, std::int64_t num, std::int64_t total) override { steps.push_back({kind, num, total}); }
  void progress(Label label, std::int64_t num, std::int64_t total) override {
    if (label == Label::Syosai_no && !steps.empty()) details.push_back({steps.back().kind, num, total});
  }
  void read_progress(const ReadProgress& p) override { reads.push_back(p); }
  void deleted(std::int64_t files) override { deletions.push_back(files); }
  void finished(const RunSummary& s) override { summaries.push_back(s); }
  struct StepCall {
    Step kind;
    std::int64_t num, total;
  };
  std::vector<StepCall> steps;
  std::vector<StepCall> details;  // Syosai_no, with the step it came in
  std::vector<ReadProgress> reads;
  std::vector<std::int64_t> deletions;
  std::vector<RunSummary> summaries;
};

std::string Mail(int n, const std::string& id, const char* eol) {
  std::string e = eol;
  return "Date: Mon, 02 Feb 2004 12:0" + std::to_string(n) + ":00 +0900" + e + "From: a" + std::to_string(n) +
         "@example.jp" + e + "Subject: s" + std::to_string(n) + e + "Message-ID: " + id + e + e + "body " +
         std::to_string(n) + e + "\x1b$B$\"$$\x1b(B" + e + "." + e;
}

TEST(ReadProgress, RunsFromZeroToTheFileSize) {
  struct Case {
    const char* name;
    const char* eol;
    std::string tail;
  };
  const Case cases[] = {
      {"LF lines", "\n", ""},
      {"CR LF lines", "\r\n", ""},
      {"lone CR lines", "\r", ""},
      {"no final line end", "\n", "last line"},
      {"longer than one report", "\n", std::string(300000, 'x') + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir in, out;
    const std::string path =
        in.write("in.mbx", Mail(1, "<1@x>", c.eol) + Mail(2, "<2@x>", c.eol) + Mail(3, "<3@x>", c.eol) + c.tail);
    RecordingUi ui;
    Workspace ws(ui);
    ArchiveSink sink(ws, nullptr);
    ASSERT_TRUE(File_Syori(ws, sink, out.path(), path));
    ASSERT_FALSE(ui.reads.empty());
    const std::int64_t size = file_size(path);
    EXPECT_EQ(ui.reads.front().bytes, 0);
    EXPECT_EQ(ui.reads.back().bytes, size);
    EXPECT_EQ(ui.reads.back().messages, 3);
    for (std::size_t k = 0; k < ui.reads.size(); ++k) {
      EXPECT_EQ(ui.reads[k].size, size);
      if (k > 0) {
        EXPECT_GE(ui.reads[k].bytes, ui.reads[k - 1].bytes);
      }
    }
    EXPECT_EQ(ws.Mails_Added, 3);
    EXPECT_EQ(ws.Mails_Replaced, 0);
    EXPECT_EQ(ws.Pages_Written, 3);
  }
}

struct Archive {
  TempDir app, in, out;
  RecordingUi ui;
  Workspace ws{ui};
  Archive() {
    ws.App_Dir = app.path();
    Load_Ini(ws.set, ws.App_Dir);
    ws.set.KB_THRE = true;
    ws.set.ML_RANK = true;
    ws.Auto_Answer = "y";
  }
};

TEST(RunSummary, CountsAddedReplacedAndPagesAndStepsInOrder) {
  Archive a;
  const std::string first = a.in.write("a.mbx", Mail(1, "<1@x>", "\n") + Mail(2, "<2@x>", "\n"));
  const std::string second = a.in.write("b.mbx", Mail(3, "<3@x>", "\n") + Mail(4, "<1@x>", "\n"));
  ASSERT_TRUE(run_conversion(a.ws, a.out.path(), {first, second}, "test"));
  ASSERT_EQ(a.ui.summaries.size(), 1u);
  EXPECT_EQ(a.ui.summaries[0].added, 3);
  EXPECT_EQ(a.ui.summaries[0].replaced, 1) << "<1@x> came again";
  EXPECT_EQ(a.ui.summaries[0].pages, 4);
  EXPECT_GE(a.ui.summaries[0].seconds, 0);

  const std::vector<Step> kinds = {Step::Reading, Step::Reading, Step::Threads, Step::Ranking,
                                   Step::Index,   Step::Restyle, Step::Menu,    Step::ThreadLists};
  const std::vector<std::int64_t> numbers = {1, 2, 3, 3, 4, 5, 6, 7};
  ASSERT_EQ(a.ui.steps.size(), kinds.size());
  for (std::size_t k = 0; k < kinds.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(a.ui.steps[k].kind, kinds[k]);
    EXPECT_EQ(a.ui.steps[k].num, numbers[k]);
    EXPECT_EQ(a.ui.steps[k].total, 7);
  }
  EXPECT_TRUE(a.ui.deletions.empty());

  // Appending the same mailbox again replaces both of its messages.
  a.ui.summaries.clear();
  ASSERT_TRUE(run_conversion(a.ws, a.out.path(), {first}, "test"));
  ASSERT_EQ(a.ui.summaries.size(), 1u);
  EXPECT_EQ(a.ui.summaries[0].added, 0);
  EXPECT_EQ(a.ui.summaries[0].replaced, 2);
  EXPECT_EQ(a.ui.summaries[0].pages, 2);
}

TEST(RunSummary, StepsAndTheirNumbersFollowTheSettings) {
  struct Case {
    const char* name;
    int files;
    bool ranking, thread_lists;
    std::vector<Step> kinds;
    std::vector<std::int64_t> numbers;
    std::int64_t total;
  };
  const Case cases[] = {
      {"two files, both off",
       2,
       false,
       false,
       {Step::Reading, Step::Reading, Step::Threads, Step::Index, Step::Restyle, Step::Menu},
       {1, 2, 3, 4, 5, 6},
       6},
      {"ranking shares the number of the threads",
       2,
       true,
       false,
       {Step::Reading, Step::Reading, Step::Threads, Step::Ranking, Step::Index, Step::Restyle, Step::Menu},
       {1, 2, 3, 3, 4, 5, 6},
       6},
      {"thread lists add one to the total",
       2,
       false,
       true,
       {Step::Reading, Step::Reading, Step::Threads, Step::Index, Step::Restyle, Step::Menu, Step::ThreadLists},
       {1, 2, 3, 4, 5, 6, 7},
       7},
      {"one file, both on",
       1,
       true,
       true,
       {Step::Reading, Step::Threads, Step::Ranking, Step::Index, Step::Restyle, Step::Menu, Step::ThreadLists},
       {1, 2, 2, 3, 4, 5, 6},
       6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Archive a;
    a.ws.set.ML_RANK = c.ranking;
    a.ws.set.KB_THRE = c.thread_lists;
    std::vector<std::string> inputs;
    for (int k = 1; k <= c.files; ++k) {
      const std::string id = "<" + std::to_string(k) + "@x>";
      inputs.push_back(a.in.write("in" + std::to_string(k) + ".mbx", Mail(k, id, "\n")));
    }
    ASSERT_TRUE(run_conversion(a.ws, a.out.path(), inputs, "test"));
    ASSERT_EQ(a.ui.steps.size(), c.kinds.size());
    for (std::size_t k = 0; k < c.kinds.size(); ++k) {
      SCOPED_TRACE(k);
      EXPECT_EQ(a.ui.steps[k].kind, c.kinds[k]);
      EXPECT_EQ(a.ui.steps[k].num, c.numbers[k]);
      EXPECT_EQ(a.ui.steps[k].total, c.total);
    }
  }
}

// The search index's step shows how far it is, from none to all of its
// tokens, like the steps before it.
TEST(RunSummary, TheSearchIndexStepShowsItsProgress) {
  Archive a;
  a.ws.set.SRCH_IX = true;
  a.ws.set.KB_THRE = false;
  const std::string mbox = a.in.write("a.mbx", Mail(1, "<1@x>", "\n") + Mail(2, "<2@x>", "\n"));
  ASSERT_TRUE(run_conversion(a.ws, a.out.path(), {mbox}, "test"));
  std::vector<RecordingUi::StepCall> search;
  for (const RecordingUi::StepCall& d : a.ui.details)
    if (d.kind == Step::Search) search.push_back(d);
  ASSERT_GE(search.size(), 2u);
  EXPECT_EQ(search.front().num, 0);
  EXPECT_GT(search.back().total, 0);
  EXPECT_EQ(search.back().num, search.back().total);
  for (std::size_t k = 1; k < search.size(); ++k) {
    EXPECT_GE(search[k].num, search[k - 1].num);
    EXPECT_EQ(search[k].total, search.back().total);
  }
}

TEST(RunSummary, RebuildCountsEachDeletedFileAndFailedRunHasNoSummary) {
  Archive a;
  const std::string mbox = a.in.write("a.mbx", Mail(1, "<1@x>", "\n") + Mail(2, "<2@x>", "\n"));
  ASSERT_TRUE(run_conversion(a.ws, a.out.path(), {mbox}, "test"));
  std::int64_t files = 0;
  for (const std::string& name : list_files(a.out.path())) {
    (void)name;
    ++files;
  }
  ASSERT_GT(files, 2);

  a.ws.Auto_Answer = "n";
  a.ui.summaries.clear();
  ASSERT_TRUE(run_conversion(a.ws, a.out.path(), {mbox}, "test"));
  ASSERT_EQ(static_cast<std::int64_t>(a.ui.deletions.size()), files);
  for (std::int64_t k = 0; k < files; ++k) EXPECT_EQ(a.ui.deletions[k], k + 1);
  EXPECT_EQ(a.ui.summaries.size(), 1u);

  a.ui.summaries.clear();
  EXPECT_FALSE(run_conversion(a.ws, a.out.path(), {a.in / "missing.mbx"}, "test"));
  EXPECT_TRUE(a.ui.summaries.empty());
}

}  // namespace

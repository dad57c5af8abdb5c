// The steps of a conversion run, in one list: what a front end calls each
// one, which progress number it shows, and which runs take it. The run
// announces its steps from this list, the command line names them from it,
// and the total of the progress numbers follows from it; a new step is one
// value of RunStep and one row of kRunSteps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/settings.h"

// In the order a run takes them (Deletion comes first: a rebuild deletes the
// old files before anything is read).
enum class RunStep { Deletion, Reading, Threads, Ranking, Index, Restyle, Search, Menu, ThreadLists, Navigation, Feed };

struct RunStepRow {
  // Where the step stands in the run's progress numbers "(" num "／" total ")".
  enum class Number {
    None,        // shows no number (the deletion counts its files instead)
    OfFile,      // one step per input file, numbered 1 to the count of files
    AfterFiles,  // the count of files + after_files
  };

  RunStep step;
  std::string_view words;  // the step in words, as the command line shows it (UTF-8)
  Number number;
  std::int64_t after_files;  // for Number::AfterFiles
  // Whether a run with these settings takes the step; null: every run
  // takes it (the deletion: every rebuild).
  bool (*only_when)(const Settings&);
};

namespace run_step_rules {
constexpr bool ranked(const Settings& s) { return s.ML_RANK; }
constexpr bool thread_lists(const Settings& s) { return s.KB_THRE; }
constexpr bool navigation(const Settings& s) { return s.NAV_LNK; }
constexpr bool search(const Settings& s) { return s.SRCH_IX; }
// A feed needs the archive's address; blanks alone are none.
constexpr bool feed(const Settings& s) { return s.BAS_URL.find_first_not_of(" \t") != std::string::npos; }
}  // namespace run_step_rules

inline constexpr RunStepRow kRunSteps[] = {
    {RunStep::Deletion, "削除", RunStepRow::Number::None, 0, nullptr},
    {RunStep::Reading, "読み込み", RunStepRow::Number::OfFile, 0, nullptr},
    {RunStep::Threads, "スレッド", RunStepRow::Number::AfterFiles, 1, nullptr},
    // Counted while the threads are made, so it shows their number.
    {RunStep::Ranking, "ランキング", RunStepRow::Number::AfterFiles, 1, run_step_rules::ranked},
    {RunStep::Index, "索引", RunStepRow::Number::AfterFiles, 2, nullptr},
    {RunStep::Restyle, "再装飾", RunStepRow::Number::AfterFiles, 3, nullptr},
    // Written just before the menu, so it shows the menu's number.
    {RunStep::Search, "検索索引", RunStepRow::Number::AfterFiles, 4, run_step_rules::search},
    {RunStep::Menu, "一覧", RunStepRow::Number::AfterFiles, 4, nullptr},
    {RunStep::ThreadLists, "スレッド一覧", RunStepRow::Number::AfterFiles, 5, run_step_rules::thread_lists},
    {RunStep::Navigation, "前後リンク", RunStepRow::Number::AfterFiles, 6, run_step_rules::navigation},
    {RunStep::Feed, "フィード", RunStepRow::Number::AfterFiles, 7, run_step_rules::feed},
};

constexpr bool run_steps_in_order() {
  for (std::size_t k = 0; k < std::size(kRunSteps); ++k)
    if (static_cast<std::size_t>(kRunSteps[k].step) != k) return false;
  return true;
}
static_assert(run_steps_in_order(), "kRunSteps holds one row per RunStep, in the order of RunStep");

constexpr const RunStepRow& run_step(RunStep step) { return kRunSteps[static_cast<std::size_t>(step)]; }

// Whether a run with these settings takes the step.
constexpr bool step_taken(RunStep step, const Settings& set) {
  const RunStepRow& row = run_step(step);
  return row.only_when == nullptr || row.only_when(set);
}

// The progress number of a step that comes after the files, in a run of
// files input files.
constexpr std::int64_t step_number(RunStep step, std::int64_t files) { return files + run_step(step).after_files; }

// The total of a run's progress numbers: the files, then the numbers of the
// steps after them that the run takes.
constexpr std::int64_t step_total(std::int64_t files, const Settings& set) {
  std::int64_t last = 0;
  for (const RunStepRow& row : kRunSteps)
    if (row.number == RunStepRow::Number::AfterFiles && step_taken(row.step, set) && row.after_files > last)
      last = row.after_files;
  return files + last;
}

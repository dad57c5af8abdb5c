#include "core/run_steps.h"

#include <gtest/gtest.h>

namespace {

TEST(RunSteps, NumbersAndTotalFromTheSettings) {
  const struct {
    const char* name;
    bool ranking, thread_lists;
    std::int64_t total;
  } rows[] = {
      {"both off", false, false, 7},
      {"ranking on", true, false, 7},
      {"thread lists on", false, true, 8},
      {"both on", true, true, 8},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Settings set;
    set.ML_RANK = r.ranking;
    set.KB_THRE = r.thread_lists;
    EXPECT_EQ(step_total(3, set), r.total);
    EXPECT_EQ(step_taken(RunStep::Ranking, set), r.ranking);
    EXPECT_EQ(step_taken(RunStep::ThreadLists, set), r.thread_lists);
    EXPECT_TRUE(step_taken(RunStep::Menu, set));
  }
  const struct {
    RunStep step;
    std::int64_t number;
  } numbers[] = {{RunStep::Threads, 4}, {RunStep::Ranking, 4}, {RunStep::Index, 5},
                 {RunStep::Restyle, 6}, {RunStep::Menu, 7},    {RunStep::ThreadLists, 8}};
  for (const auto& n : numbers) {
    SCOPED_TRACE(run_step(n.step).words);
    EXPECT_EQ(step_number(n.step, 3), n.number);
  }
}

}  // namespace

#include "core/thread_keys.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "core/vb_error.h"

namespace {

// A line as the keys should be read: its key, message, depth and first step.
struct Line {
  const char* key;
  std::size_t number, depth, first_step;
};

void expect_lines(const ThreadKeys& keys, std::span<const Line> want) {
  ASSERT_EQ(keys.count(), want.size());
  for (std::size_t k = 0; k < keys.count(); ++k) {
    SCOPED_TRACE(k);
    const ThreadLine t = keys.at(k);
    EXPECT_EQ(t.key, want[k].key);
    EXPECT_EQ(t.number, want[k].number);
    EXPECT_EQ(t.depth, want[k].depth);
    EXPECT_EQ(t.first_step, want[k].first_step);
  }
}

TEST(ThreadKeys, StepIsZAndSevenDigits) {
  EXPECT_EQ(ThreadKeys::Step(0), "Z0000000");
  EXPECT_EQ(ThreadKeys::Step(42), "Z0000042");
  EXPECT_EQ(ThreadKeys::Step(9999999), "Z9999999");
}

// A key comes before the keys that extend it, and keys sort by their steps;
// each line knows its message, depth and the root it starts with.
TEST(ThreadKeys, ReadInKeyOrderWithDepthAndRoot) {
  ThreadKeys keys;
  keys.add("Z0000002", 2);
  keys.add("Z0000000Z0000003", 3);
  keys.add("Z0000000", 0);
  keys.add("Z0000000Z0000001Z0000004", 4);
  keys.add("Z0000000Z0000001", 1);
  const Line want[] = {
      {"Z0000000", 0, 0, 0},         {"Z0000000Z0000001", 1, 1, 0}, {"Z0000000Z0000001Z0000004", 4, 2, 0},
      {"Z0000000Z0000003", 3, 1, 0}, {"Z0000002", 2, 0, 2},
  };
  expect_lines(keys, want);
  keys.add("Z0000001", 5);  // added after a read: still in its place
  EXPECT_EQ(keys.at(4).key, "Z0000001");
  EXPECT_THROW(keys.at(6), std::out_of_range);
  keys.clear();
  EXPECT_EQ(keys.count(), 0u);
}

// The keys share one buffer: every line reads back its own key, whatever
// the keys' lengths and however the buffer grew, and equal keys keep the
// order in which they were added.
TEST(ThreadKeys, KeysOfEveryLengthReadBackInOrder) {
  ThreadKeys keys;
  keys.reserve(2, 8);  // less room than is added: the buffer grows
  const struct {
    const char* key;
    std::uint32_t number;
  } added[] = {
      {"Z0000003Z0000004Z0000005Z0000006Z0000007", 7},
      {"Z0000003", 3},
      {"", 9},
      {"Z0000003Z0000004", 4},
      {"Z0000003", 8},
      {"Z0000001", 1},
  };
  for (const auto& a : added) keys.add(a.key, a.number);
  const Line want[] = {
      {"", 9, 0, 9},         {"Z0000001", 1, 0, 1},         {"Z0000003", 3, 0, 3},
      {"Z0000003", 8, 0, 3}, {"Z0000003Z0000004", 4, 1, 3}, {"Z0000003Z0000004Z0000005Z0000006Z0000007", 7, 4, 3},
  };
  expect_lines(keys, want);
  keys.clear();
  keys.add("Z0000002", 2);  // a cleared list starts its buffer again
  EXPECT_EQ(keys.at(0).key, "Z0000002");
}

TEST(ThreadKeys, StepsAreReadAsNumbers) {
  EXPECT_EQ(ThreadKeys::step_number("Z0000012Z0000345", 0), 12u);
  EXPECT_EQ(ThreadKeys::step_number("Z0000012Z0000345", 1), 345u);
  EXPECT_THROW(ThreadKeys::step_number("Z00000x2", 0), VbError);
}

}  // namespace

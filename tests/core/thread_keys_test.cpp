#include "core/thread_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/vb_error.h"

namespace {

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
  const struct {
    const char* key;
    std::size_t number, depth, first_step;
  } want[] = {
      {"Z0000000", 0, 0, 0},         {"Z0000000Z0000001", 1, 1, 0}, {"Z0000000Z0000001Z0000004", 4, 2, 0},
      {"Z0000000Z0000003", 3, 1, 0}, {"Z0000002", 2, 0, 2},
  };
  ASSERT_EQ(keys.count(), std::size(want));
  for (std::size_t k = 0; k < keys.count(); ++k) {
    SCOPED_TRACE(k);
    const ThreadLine t = keys.at(k);
    EXPECT_EQ(t.key, want[k].key);
    EXPECT_EQ(t.number, want[k].number);
    EXPECT_EQ(t.depth, want[k].depth);
    EXPECT_EQ(t.first_step, want[k].first_step);
  }
  keys.add("Z0000001", 5);  // added after a read: still in its place
  EXPECT_EQ(keys.at(4).key, "Z0000001");
  EXPECT_THROW(keys.at(6), std::out_of_range);
  keys.clear();
  EXPECT_EQ(keys.count(), 0u);
}

TEST(ThreadKeys, StepsAreReadAsNumbers) {
  EXPECT_EQ(ThreadKeys::step_number("Z0000012Z0000345", 0), 12u);
  EXPECT_EQ(ThreadKeys::step_number("Z0000012Z0000345", 1), 345u);
  EXPECT_THROW(ThreadKeys::step_number("Z00000x2", 0), VbError);
}

}  // namespace

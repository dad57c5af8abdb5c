#include "core/page_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>

#include "core/vb_error.h"
#include "support/temp_dir.h"

namespace {

TEST(PageWriter, WritesInOrderAndFinishWaitsForAll) {
  TempDir d;
  PageWriter w;
  for (int i = 0; i < 2000; ++i)
    w.write(d / ("m" + std::to_string(i % 50) + ".htm"), std::string(5000, 'a') + std::to_string(i));
  w.finish();
  // The last of the forty writes of each name stands.
  EXPECT_EQ(d.read("m7.htm"), std::string(5000, 'a') + "1957");
  EXPECT_EQ(d.read("m49.htm"), std::string(5000, 'a') + "1999");
}

TEST(PageWriter, AFailedWriteIsReportedOnceAndLaterPagesStillWritten) {
  TempDir d;
  PageWriter w;
  w.write(d / "missing/m1.htm", "x");
  EXPECT_THROW(w.finish(), VbError);
  w.write(d / "m2.htm", "y");
  w.finish();
  EXPECT_EQ(d.read("m2.htm"), "y");
}

TEST(PageWriter, RendersOnItsThreadAndReportsAFailedRender) {
  TempDir d;
  PageWriter w;
  w.write(
      d / "r1.htm", [] { return std::string("rendered"); }, 8);
  w.write(
      d / "r2.htm", []() -> std::string { throw VbError(7, "out of memory"); }, 8);
  w.write(
      d / "r3.htm", [] { return std::string("after"); }, 5);
  try {
    w.finish();
    ADD_FAILURE() << "the failed render was not reported";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number, 7);
  }
  EXPECT_EQ(d.read("r1.htm"), "rendered");
  EXPECT_EQ(d.read("r3.htm"), "after");
  EXPECT_FALSE(std::filesystem::exists(d / "r2.htm"));
}

TEST(PageWriter, PagesQueuedWhenTheWalkStopsAreStillWritten) {
  TempDir d;
  {
    PageWriter w;
    for (int i = 0; i < 100; ++i) w.write(d / ("p" + std::to_string(i)), "z");
  }
  EXPECT_TRUE(std::filesystem::exists(d / "p99"));
}

// Behind: half the bytes that may wait are waiting (a page's data handed
// over is counted by its size); not once they are written.
TEST(PageWriter, BehindWhileHalfTheQueueWaits) {
  TempDir d;
  PageWriter w;
  EXPECT_FALSE(w.behind());
  std::promise<void> gate;
  w.run([open = gate.get_future().share()] { open.wait(); }, 1);
  w.write(d / "small.htm", std::string(1000, 's'));
  EXPECT_FALSE(w.behind());
  w.write(d / "big.htm", std::string(std::size_t{5} << 20, 'b'));
  EXPECT_TRUE(w.behind());
  gate.set_value();
  w.finish();
  EXPECT_FALSE(w.behind());
  EXPECT_EQ(d.read("big.htm").size(), std::size_t{5} << 20);
}

}  // namespace

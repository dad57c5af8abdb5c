// The spill file: records of several runs handed back by key, those of one
// key in the order of the runs, records longer than a read's buffer, and
// nothing left behind in the folder.
#include "archive/search_spill.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

TEST(SearchSpill, HandsBackEachKeysRecordsInTheOrderOfTheRuns) {
  TempDir dir;
  const std::string big(200000, 'b');  // more than a run reads at a time
  {
    SearchSpill spill(dir / "srch");  // made when first needed
    spill.begin_run();
    spill.put(1, "1a");
    spill.put(5, big);
    spill.put(9, "9a");
    spill.end_run();
    spill.begin_run();  // a run of no records
    spill.end_run();
    spill.begin_run();
    spill.put(5, "5c");
    spill.put(7, "7c");
    spill.end_run();
    EXPECT_EQ(spill.runs(), 3u);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "srch")) << "the file has no name";

    const struct {
      std::uint64_t key;
      std::vector<std::string> want;
    } rows[] = {{0, {}}, {1, {"1a"}}, {5, {big, "5c"}}, {6, {}}, {7, {"7c"}}, {9, {"9a"}}};
    for (const auto& row : rows) {
      SCOPED_TRACE(row.key);
      std::vector<std::string> got;
      spill.take(row.key, [&](std::string_view bytes) { got.emplace_back(bytes); });
      EXPECT_EQ(got, row.want);
      EXPECT_EQ(spill.read_all(), row.key == 9);
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir / "srch"));
}

TEST(SearchSpill, AKeyPassedOverIsNotReadAll) {
  TempDir dir;
  SearchSpill spill(dir.path());
  spill.begin_run();
  spill.put(3, "x");
  spill.put(4, "y");
  spill.end_run();
  std::vector<std::string> got;
  spill.take(4, [&](std::string_view bytes) { got.emplace_back(bytes); });
  EXPECT_TRUE(got.empty()) << "key 3 still comes first";
  EXPECT_FALSE(spill.read_all());
}

}  // namespace

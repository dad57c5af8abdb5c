// Append runs touch only the pages that need it: the archive's state tells
// what the last finished run left behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/workspace.h"
#include "run/conversion.h"
#include "settings/settings_file.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kSamples = std::string(VORN_SOURCE_DIR) + "/samples";
// A page no run would write: it shows whether a run went over it.
const std::string kMarker = "<FONT SIZE=9>\r\nmarker\r\n</FONT>\r\n";

struct Archive {
  TempDir app, out;
  SilentUi ui;
  Workspace ws{ui};
  std::string empty;
  Archive() {
    ws.App_Dir = app.path();
    Load_Ini(ws.set, ws.App_Dir);
    ws.set.KB_THRE = true;
    ws.Auto_Answer = "y";
    empty = app.write("empty.mbx", "");
  }
  bool run(const std::string& file) { return run_conversion(ws, out.path(), {file}, "test"); }
};

TEST(AppendState, UnchangedPagesAreNotGoneOverAgain) {
  Archive a;
  ASSERT_TRUE(a.run(kSamples + "/ml-2004.mbx"));
  ASSERT_TRUE(fs::exists(a.out / ".vorn_htm.state"));
  a.out.write("m0000007.htm", kMarker);  // a thread of its own
  a.out.write("m0000001.htm", kMarker);  // the root of the thread that grows

  ASSERT_TRUE(a.run(a.empty));
  EXPECT_EQ(a.out.read("m0000007.htm"), kMarker) << "same style, same thread: left alone";

  ASSERT_TRUE(a.run(kSamples + "/attachments.mbx"));
  EXPECT_EQ(a.out.read("m0000007.htm"), kMarker);
  EXPECT_NE(a.out.read("m0000001.htm").find(std::string(30, '-')), std::string::npos)
      << "the thread gained replies: its pages get the new list";

  a.ws.set.FT_SIZE = 3;
  ASSERT_TRUE(a.run(a.empty));
  EXPECT_EQ(a.out.read("m0000007.htm"), "<FONT SIZE=3>\r\nmarker\r\n</FONT>\r\n")
      << "another style: restyled, its list still needs no change";
}

TEST(AppendState, AStoppedRunLeavesNoStateAndTheNextRunGoesOverEverything) {
  Archive a;
  ASSERT_TRUE(a.run(kSamples + "/ml-2004.mbx"));
  EXPECT_FALSE(a.run(a.app.path()));  // a folder is no mailbox: the run stops
  EXPECT_FALSE(fs::exists(a.out / ".vorn_htm.state"));
  a.out.write("m0000007.htm", kMarker);
  ASSERT_TRUE(a.run(a.empty));
  EXPECT_NE(a.out.read("m0000007.htm"), kMarker);
}

TEST(AppendState, AnUnreadableStateCountsAsNone) {
  struct Row {
    const char* name;
    std::string state;
  } rows[] = {{"garbage", "\x01\x02 not a state"},
              {"bad_hash", "vorn_htm state 1\r\nstyle\tx\r\nlists\t1\r\nthread\tm0000007.htm\tzz\r\n"},
              {"wrong_version", "vorn_htm state 9\r\nstyle\tx\r\nlists\t1\r\n"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Archive a;
    ASSERT_TRUE(a.run(kSamples + "/ml-2004.mbx"));
    a.out.write(".vorn_htm.state", r.state);
    a.out.write("m0000007.htm", kMarker);
    ASSERT_TRUE(a.run(a.empty));
    EXPECT_NE(a.out.read("m0000007.htm"), kMarker);
  }
}

TEST(AppendState, PagesWrittenByTheRunAlwaysGetTheirList) {
  Archive a;
  ASSERT_TRUE(a.run(kSamples + "/ml-2004.mbx"));
  // The same mailbox again: every message replaces its own page with the same
  // thread as before, so only the written pages tell that a list is due.
  ASSERT_TRUE(a.run(kSamples + "/ml-2004.mbx"));
  for (const char* page : {"m0000001.htm", "m0000004.htm", "m0000007.htm"}) {
    SCOPED_TRACE(page);
    EXPECT_NE(a.out.read(page).find(std::string(30, '-')), std::string::npos);
  }
}

}  // namespace

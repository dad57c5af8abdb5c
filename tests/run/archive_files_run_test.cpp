// The list of the archive's own files names what a run writes: a file the
// list lacks could be overwritten by an attachment and would never be
// cleared of leftovers. (The record of a run under way is listed too; a
// stopped run leaves it, which tests/run/stopped_run_test.cpp shows.)
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "core/archive_files.h"
#include "core/workspace.h"
#include "run/conversion.h"
#include "settings/settings_file.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kSamples = std::string(VORN_SOURCE_DIR) + "/samples";

std::set<std::string> files_of(const std::string& folder) {
  std::set<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

TEST(ArchiveFilesOfARun, EveryFileARunWritesIsListedAndEveryListedFileIsWritten) {
  const struct {
    const char* name;
    bool ranking, thread_lists, feed, search;
  } rows[] = {
      {"every page and list", true, true, true, true},
      {"no ranking, no thread lists, no feed, no search", false, false, false, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    TempDir app, out;
    SilentUi ui;
    Workspace ws{ui};
    ws.App_Dir = app.path();
    Load_Ini(ws.set, ws.App_Dir);
    ws.set.ML_RANK = r.ranking;
    ws.set.KB_THRE = r.thread_lists;
    ws.set.NAV_LNK = r.feed;
    ws.set.BAS_URL = r.feed ? "https://example.org/ml/" : "";
    ws.set.SRCH_IX = r.search;
    ws.Auto_Answer = "y";
    // A mailbox without attachments, converted and then appended to, so
    // that every hidden record of an archive has been written.
    ASSERT_TRUE(run_conversion(ws, out.path(), {kSamples + "/ml-2004.mbx"}, "test"));
    ASSERT_TRUE(run_conversion(ws, out.path(), {kSamples + "/welcome.eml"}, "test"));
    const std::set<std::string> written = files_of(out.path());
    int pages = 0;
    for (const std::string& name : written) {
      SCOPED_TRACE(name);
      EXPECT_TRUE(is_archive_file(name));
      if (is_page_name(name)) ++pages;
    }
    EXPECT_GT(pages, 1);
    for (const ArchiveFile& file : kArchiveFiles) {
      const std::string name(file.name);
      if (name.find('#') != std::string::npos) continue;  // a family: the pages, counted above
      if (name == "rank_hyo.htm" && !r.ranking) continue;
      if (name == ".vorn_htm.removed") continue;  // written by a removal only (removal_test.cpp)
      if (name == "feed.xml" && !r.feed) continue;
      // The record of what a run under way writes: gone once it has ended.
      if (name == kRunFile.name) {
        EXPECT_EQ(written.count(name), 0u) << name;
        continue;
      }
      const bool search_off = (name == "search.html" || name == "srch") && !r.search;
      EXPECT_EQ(written.count(name), search_off ? 0u : 1u) << name;
    }
  }
}

}  // namespace

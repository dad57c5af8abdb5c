#include "core/archive_files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ArchiveFiles, NamesTheArchiveWritesItself) {
  const struct {
    const char* name;
    std::string file;
    bool archive, page;
  } rows[] = {
      {"frameset", "index.html", true, false},
      {"menu", "menu.html", true, false},
      {"placeholder", "m0000000.txt", true, false},
      {"ranking", "rank_hyo.htm", true, false},
      {"state", ".vorn_htm.state", true, false},
      {"menu index", ".vorn_htm.index", true, false},
      {"removed list", ".vorn_htm.removed", true, false},
      {"lock", ".vorn_htm.lock", true, false},
      {"record of a run", ".vorn_htm.run", true, false},
      {"a page", "m0001234.htm", true, true},
      {"page 0", "m0000000.htm", true, true},
      {"the last page", "m9999999.htm", true, true},
      {"upper case is another name", "M0001234.HTM", false, false},
      {"upper case menu", "MENU.HTML", false, false},
      {"six digits", "m000123.htm", false, false},
      {"eight digits", "m00001234.htm", false, false},
      {"a letter among the digits", "m000a234.htm", false, false},
      {"page name with html", "m0001234.html", false, false},
      {"the pattern itself", "m#######.htm", false, false},
      {"guarded attachment", "t_menu.html", false, false},
      {"longer name", "index.html.bak", false, false},
      {"empty", "", false, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(is_archive_file(r.file), r.archive);
    EXPECT_EQ(is_page_name(r.file), r.page);
  }
}

TEST(ArchiveFiles, LeftoversOfStoppedRuns) {
  const struct {
    const char* name;
    std::string file;
    bool leftover;
  } rows[] = {
      {"temporary file of this version", ".vorn_htm~menu.html.Ab12Cd", true},
      {"temporary file of this version, any final name", ".vorn_htm~notes.txt.Ab12Cd", true},
      {"earlier version's menu", ".menu.html.Ab12Cd", true},
      {"earlier version's page", ".m0000001.htm.abcdef", true},
      {"earlier version's placeholder", ".m0000000.txt.ABCDEF", true},
      {"earlier version's ranking", ".rank_hyo.htm.a1b2c3", true},
      {"earlier version's state", "..vorn_htm.state.Ab12Cd", true},
      {"earlier version's menu index", "..vorn_htm.index.Ab12Cd", true},
      {"the lock is never replaced", "..vorn_htm.lock.Ab12Cd", false},
      {"nor is the record of a run", "..vorn_htm.run.Ab12Cd", false},
      {"the lock itself", ".vorn_htm.lock", false},
      {"the menu itself", "menu.html", false},
      {"five letters", ".menu.html.Ab12C", false},
      {"not a letter or digit", ".menu.html.Ab-2Cd", false},
      {"no dot before the letters", ".menu.htmlxAb12Cd", false},
      {"not hidden", "menu.html.Ab12Cd", false},
      {"a file of the user", ".notes.txt.Ab12Cd", false},
      {"a page of six digits", ".m000001.htm.Ab12Cd", false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(is_leftover(r.file), r.leftover);
  }
}

}  // namespace

// What the program starts as, by its words and whether a display is named.
#include "run/start_rule.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const std::set<std::string> kFiles = {"list.mbx", "/home/a/old mail.eml", "-i", "notes"};

bool is_file(const std::string& word) { return kFiles.count(word) > 0; }

TEST(StartRule, Table) {
  const struct {
    const char* name;
    std::vector<std::string> words;
    bool display;
    StartAs want;
  } rows[] = {
      {"no words", {}, true, StartAs::windows},
      {"no words, no display (the windows say there is none)", {}, false, StartAs::windows},
      {"colour switch", {"/COL"}, true, StartAs::windows},
      {"one file", {"list.mbx"}, true, StartAs::windows_with_files},
      {"two files, a blank in one name", {"list.mbx", "/home/a/old mail.eml"}, true, StartAs::windows_with_files},
      {"a file without extension", {"notes"}, true, StartAs::windows_with_files},
      {"files without a display stay an option error", {"list.mbx"}, false, StartAs::command_line},
      {"a missing file among them", {"list.mbx", "gone.mbx"}, true, StartAs::command_line},
      {"an option among them", {"list.mbx", "-o", "out"}, true, StartAs::command_line},
      {"an option that is also a file's name", {"-i"}, true, StartAs::command_line},
      {"the usual command line", {"-i", "list.mbx", "-o", "out"}, true, StartAs::command_line},
      {"an empty word", {""}, true, StartAs::command_line},
      {"colour switch with more words", {"/col", "list.mbx"}, true, StartAs::command_line},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(choose_start(r.words, r.display, is_file), r.want);
  }
}

TEST(StartRule, ExistingFileIsARegularFile) {
  EXPECT_TRUE(is_existing_file(VORN_SOURCE_DIR "/samples/ml-2004.mbx"));
  EXPECT_FALSE(is_existing_file(VORN_SOURCE_DIR "/samples"));
  EXPECT_FALSE(is_existing_file(VORN_SOURCE_DIR "/samples/missing.mbx"));
}

}  // namespace

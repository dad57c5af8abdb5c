#include "run/command_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "support/temp_dir.h"

namespace {

using Words = std::vector<std::string>;

struct OptionRow {
  const char* name;
  Words words;
  bool valid;
  Words inputs;
  const char* output;
  const char* answer;
};

const OptionRow kRows[] = {
    {"plain", {"-i", "/m/a.mbx", "-o", "/w/ml"}, true, {"/m/a.mbx"}, "/w/ml", "y"},
    {"any_order_delete", {"-o", "/w/ml", "-d", "Y", "-i", "/m/*.mbx"}, true, {"/m/*.mbx"}, "/w/ml", "n"},
    {"d_no_appends", {"-i", "a", "-o", "b", "-d", "n"}, true, {"a"}, "b", "y"},
    {"d_bad_value", {"-i", "a", "-o", "b", "-d", "x"}, false, {"a"}, "b", "x"},
    {"d_yes_is_bad", {"-i", "a", "-o", "b", "-d", "yes"}, false, {"a"}, "b", "yes"},
    {"only_input", {"-i", "a"}, false, {"a"}, "", "y"},
    {"only_output", {"-o", "b"}, false, {}, "b", "y"},
    {"extra_words_ignored", {"-i", "a", "-o", "b", "extra", "words"}, true, {"a"}, "b", "y"},
    {"letters_any_case_paths_keep_case", {"-I", "/Mail/A.MBX", "-O", "/Web"}, true, {"/Mail/A.MBX"}, "/Web", "y"},
    {"value_in_option_word", {"-ia.mbx", "-oout"}, true, {"a.mbx"}, "out", "y"},
    {"word_beginning_with_option", {"-input", "-o", "o"}, true, {"nput"}, "o", "y"},
    {"word_after_value_stops_reading", {"-input", "x", "-o", "o"}, false, {"nput"}, "", "y"},
    {"option_last_without_value", {"-o", "c", "-i"}, false, {""}, "c", "y"},
    {"d_last_without_value", {"-i", "a", "-o", "b", "-d"}, true, {"a"}, "b", "y"},
    {"later_occurrence_wins", {"-i", "a", "-o", "b", "-o", "c", "-i", "d"}, true, {"d"}, "c", "y"},
    {"colour_word_is_no_option", {"/col"}, false, {}, "", "y"},
    {"quotes_are_ordinary", {"-i", "\"a\"", "-o", "b"}, true, {"\"a\""}, "b", "y"},
    {"stops_at_unknown_word", {"-i", "a", "x", "-o", "b"}, false, {"a"}, "", "y"},
    // Each word is one value: blanks stay in it and never split it.
    {"output_with_blank_then_d", {"-i", "a.eml", "-d", "y", "-o", "v4 x"}, true, {"a.eml"}, "v4 x", "n"},
    {"d_after_output_with_blank", {"-i", "a.eml", "-o", "v3 x", "-d", "y"}, true, {"a.eml"}, "v3 x", "n"},
    {"value_in_option_word_with_blank", {"-oMy Mail/list", "-iin box.mbx"}, true, {"in box.mbx"}, "My Mail/list", "y"},
    {"leading_and_trailing_blanks_kept", {"-i", " a ", "-o", "b "}, true, {" a "}, "b ", "y"},
    {"blank_word_is_no_option", {" -i", "a", "-o", "b"}, false, {}, "", "y"},
    {"value_that_looks_like_an_option", {"-o", "-d", "-i", "a"}, true, {"a"}, "-d", "y"},
};

TEST(ParseOptions, Table) {
  for (const OptionRow& r : kRows) {
    SCOPED_TRACE(r.name);
    Options o = parse_options(r.words);
    EXPECT_EQ(o.valid, r.valid);
    EXPECT_EQ(o.inputs, r.inputs);
    EXPECT_EQ(o.output, r.output);
    EXPECT_EQ(o.Auto_Answer, r.answer);
  }
}

TEST(ParseOptions, ShellExpandedWordsAfterInputAreFiles) {
  TempDir d;
  std::string a = d.write("a.mbx", "x"), b = d.write("b b.mbx", "x"), c = d.write("c.mbx", "x");
  Options o = parse_options({"-i", a, b, c, "-o", d.path() + "/out"});
  EXPECT_TRUE(o.valid);
  EXPECT_EQ(o.inputs, (std::vector<std::string>{a, b, c}));
  EXPECT_EQ(o.output, d.path() + "/out");
}

// Whether a run is worth a second start for huge pages goes by this sum.
TEST(RunBytesEstimate, InputFilesAndTheArchivesMenuOrUnknown) {
  TempDir d;
  const std::string a = d.write("a.mbx", std::string(1000, 'a')), b = d.write("b.mbx", std::string(234, 'b'));
  std::filesystem::create_directories(d / "arch");
  d.write("arch/menu.html", std::string(5000, 'm'));
  std::filesystem::create_directories(d / "Maildir/cur");
  constexpr std::uint64_t kUnknown = UINT64_MAX;
  const struct {
    const char* name;
    std::vector<std::string> words;
    std::uint64_t bytes;
  } rows[] = {
      {"one file, new folder", {"-i", a, "-o", d / "new"}, 1000},
      {"shell-expanded files", {"-i", a, b, "-o", d / "new"}, 1234},
      {"append to an archive", {"-i", a, "-o", d / "arch"}, 6000},
      {"removal from an archive", {"--remove", "<x@y>", "-o", d / "arch"}, 5000},
      {"a pattern", {"-i", d / "*.mbx", "-o", d / "new"}, kUnknown},
      {"a Maildir", {"-i", d / "Maildir", "-o", d / "new"}, kUnknown},
      {"a file not there", {"-i", d / "gone.mbx", "-o", d / "new"}, kUnknown},
      {"no options", {}, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(run_bytes_estimate(parse_options(r.words)), r.bytes);
  }
}

TEST(ExpandInput, MatchesOrdinaryVisibleFilesAndMaildirsSortedByName) {
  TempDir d;
  d.write("b.mbx", "x");
  d.write("a.mbx", "x");
  d.write("a.txt", "x");
  d.write(".hidden.mbx", "x");
  d.write("sub.mbx/inner", "x");  // a folder whose name matches
  const std::string f = d.path() + "/";
  EXPECT_EQ(expand_input(f + "*.mbx"), (std::vector<std::string>{f + "a.mbx", f + "b.mbx"}));
  EXPECT_EQ(expand_input(f + "?.*"), (std::vector<std::string>{f + "a.mbx", f + "a.txt", f + "b.mbx"}));
  EXPECT_EQ(expand_input(f + "a.txt"), (std::vector<std::string>{f + "a.txt"}));
  EXPECT_TRUE(expand_input(f + "*.eml").empty());
  EXPECT_TRUE(expand_input(f + "missing.mbx").empty());
  // A folder named as it stands goes on (the walk reads it as a Maildir);
  // a pattern matches only folders that are Maildirs.
  EXPECT_EQ(expand_input(f + "sub.mbx/"), (std::vector<std::string>{f + "sub.mbx"}));
  d.write("box.mbx/cur/1.host", "x");
  EXPECT_EQ(expand_input(f + "*.mbx"), (std::vector<std::string>{f + "a.mbx", f + "b.mbx", f + "box.mbx"}));
  EXPECT_TRUE(expand_input(f + "no/such/*.mbx").empty());
  // Brackets are ordinary characters in a pattern.
  d.write("[x].mbx", "x");
  EXPECT_EQ(expand_input(f + "[x]*"), (std::vector<std::string>{f + "[x].mbx"}));
}

TEST(ExpandInput, NoFixedLimitOnMatches) {
  TempDir d;
  for (int i = 0; i < 1500; ++i) d.write("f" + std::to_string(i) + ".mbx", "");
  EXPECT_EQ(expand_input(d.path() + "/*.mbx").size(), 1500u);
}

}  // namespace

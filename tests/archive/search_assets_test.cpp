#include "archive/search_assets.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "core/settings.h"

namespace {

std::string source_file(const std::string& name) {
  std::ifstream in(std::string(VORN_SOURCE_DIR) + "/src/archive/search_assets/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::size_t occurrences(const std::string& hay, const std::string& needle) {
  std::size_t n = 0;
  for (std::size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1)) ++n;
  return n;
}

TEST(SearchAssets, PageIsShiftJisWithCrLfLines) {
  const std::string page(search_page_sjis());
  ASSERT_FALSE(page.empty());
  // "検索" and "さらに表示" in code page 932, written out by hand.
  EXPECT_NE(page.find("<TITLE>\x8c\x9f\x8d\xf5</TITLE>\r\n"), std::string::npos);
  EXPECT_NE(page.find("\x82\xb3\x82\xe7\x82\xc9\x95\x5c\x8e\xa6"), std::string::npos);
  EXPECT_NE(page.find("charset=Shift_JIS"), std::string::npos);
  EXPECT_EQ(page.find('\xe6'), std::string::npos) << "UTF-8 lead byte of kanji left in the page";
  EXPECT_EQ(occurrences(page, "\n"), occurrences(page, "\r\n"));
  EXPECT_EQ(occurrences(page, "\r\n"), occurrences(source_file("search.html"), "\n"));
  EXPECT_EQ(page.substr(page.size() - 9), "</HTML>\r\n");
}

TEST(SearchAssets, PageLoadsTheScriptAndHasTheFormItsScriptNeeds) {
  const std::string page(search_page_sjis());
  for (const char* part :
       {"src=\"srch/find.js\"", "id=\"srch_form\"", "id=\"srch_q\"", "id=\"srch_list\"", "id=\"srch_count\"",
        "id=\"srch_none\"", "id=\"srch_more\"", "id=\"srch_error\"", "name=\"viewport\""}) {
    SCOPED_TRACE(part);
    EXPECT_EQ(occurrences(page, part), 1u);
  }
}

TEST(SearchAssets, PageTakesTheColoursAndSizeOfTheSettings) {
  Settings set;
  set.BGR_COL = "#102030";
  set.TXT_COL = "#405060";
  set.LNK_COL = "#708090";
  set.VLK_COL = "#a0b0c0";
  set.FT_SIZE = 4;
  const std::string page = search_page(set);
  EXPECT_NE(page.find("\r\n<BODY BGCOLOR=\"#102030\" TEXT=\"#405060\" LINK=\"#708090\" VLINK=\"#a0b0c0\" "
                      "ALINK=\"#000000\">\r\n"),
            std::string::npos);
  EXPECT_NE(page.find("\r\n<FONT SIZE=4>\r\n"), std::string::npos);
  EXPECT_EQ(occurrences(page, "<BODY"), 1u);
  EXPECT_EQ(occurrences(page, "<FONT SIZE="), 1u);
  EXPECT_EQ(occurrences(page, "\r\n"), occurrences(std::string(search_page_sjis()), "\r\n"));
}

TEST(SearchAssets, ScriptIsTheSourceFileAndAscii) {
  const std::string script(search_script());
  EXPECT_EQ(script, source_file("find.js"));
  for (std::size_t i = 0; i < script.size(); ++i) {
    ASSERT_LT(static_cast<unsigned char>(script[i]), 0x80u) << "byte " << i;
  }
  EXPECT_NE(script.find("module.exports"), std::string::npos);
}

}  // namespace

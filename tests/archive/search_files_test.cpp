// The texts of the search index's files, as the search page reads them.
#include "archive/search_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/vb_error.h"

namespace {

TEST(SearchFiles, GapsAreBase36Differences) {
  const struct {
    const char* name;
    std::vector<std::uint32_t> docs;
    const char* text;
  } rows[] = {
      {"none", {}, ""},
      {"one", {0}, "0"},
      {"first_is_itself", {35, 36}, "z,1"},
      {"differences", {3, 4, 40, 1000}, "3,1,10,qo"},
      {"largest", {4294967295u}, "1z141z3"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    std::string out;
    put_gaps(out, r.docs);
    EXPECT_EQ(out, r.text);
    EXPECT_EQ(read_gaps(r.text), r.docs);
  }
}

TEST(SearchFiles, MalformedGapsAreRefused) {
  for (const char* text : {",", "1,", ",1", "1,,2", "1,0", "A", "1 2", "1z141z4", "-1"}) {
    SCOPED_TRACE(text);
    EXPECT_THROW(read_gaps(text), VbError);
    EXPECT_THROW(read_doc_list(text), VbError);
  }
}

// "~", the first doc in base 36, ".", then six docs after the first to a
// character of A-Z a-z 0-9 - _ (values 0-63), bit 32 the earliest.
TEST(SearchFiles, BitmapsSpellSixDocsToACharacter) {
  const struct {
    const char* name;
    std::vector<std::uint32_t> docs;
    const char* text;
  } rows[] = {
      {"one_doc", {5}, "~5."},
      {"from_zero", {0, 1, 2}, "~0.w"},
      {"six_after_the_first", {0, 1, 2, 3, 4, 5, 6}, "~0._"},
      {"last_of_six_only", {0, 6}, "~0.B"},
      {"seven_after_the_first", {0, 1, 8}, "~0.gQ"},
      {"empty_characters_between", {10, 23}, "~a.AAg"},
      {"every_other", {0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22}, "~0.VVVU"},
      {"digits_and_marks", {0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}, "~0.9_-"},
      {"first_in_base36", {1296, 1297}, "~100.g"},
      {"largest", {4294967294u, 4294967295u}, "~1z141z2.g"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    std::string out;
    put_bitmap(out, r.docs);
    EXPECT_EQ(out, r.text);
    EXPECT_EQ(read_bitmap(r.text), r.docs);
    EXPECT_EQ(read_doc_list(r.text), r.docs);
  }
}

// The shorter spelling, gaps when both are as long: three docs in a row
// are already shorter as a bitmap.
TEST(SearchFiles, ADocListTakesTheShorterSpelling) {
  const struct {
    const char* name;
    std::vector<std::uint32_t> docs;
    const char* text;
  } rows[] = {
      {"none", {}, ""},
      {"one", {0}, "0"},
      {"two_in_a_row", {0, 1}, "0,1"},
      {"three_in_a_row", {0, 1, 2}, "~0.w"},
      {"bitmap_one_shorter", {0, 5, 6}, "~0.D"},
      {"as_long_stays_gaps", {0, 6, 7}, "0,6,1"},
      {"sparse", {3, 40, 1000}, "3,11,qo"},
      {"dense", {0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22}, "~0.VVVU"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    std::string out = "x";
    put_doc_list(out, r.docs);
    EXPECT_EQ(out, std::string("x") + r.text);
    EXPECT_EQ(read_doc_list(r.text), r.docs);
  }
}

// Every list of docs among first to first + 13, each spelling read back,
// and the list written in the shorter one.
TEST(SearchFiles, EveryShortListReadsBackInBothSpellings) {
  for (const std::uint32_t first : {0u, 35u, 1000u, 4294967295u - 13}) {
    for (std::uint32_t set = 0; set < (1u << 13); ++set) {
      std::vector<std::uint32_t> docs{first};
      for (std::uint32_t b = 0; b < 13; ++b)
        if (set & (1u << b)) docs.push_back(first + 1 + b);
      std::string gaps, bitmap, shorter;
      put_gaps(gaps, docs);
      put_bitmap(bitmap, docs);
      put_doc_list(shorter, docs);
      ASSERT_EQ(read_gaps(gaps), docs) << gaps;
      ASSERT_EQ(read_bitmap(bitmap), docs) << bitmap;
      ASSERT_EQ(read_doc_list(shorter), docs) << shorter;
      ASSERT_EQ(shorter, bitmap.size() < gaps.size() ? bitmap : gaps);
    }
  }
}

TEST(SearchFiles, MalformedBitmapsAreRefused) {
  const struct {
    const char* name;
    const char* text;
  } rows[] = {
      {"mark_alone", "~"},
      {"no_first", "~.w"},
      {"no_dot", "~3w"},
      {"dot_alone", "~."},
      {"upper_case_first", "~A.w"},
      {"ends_on_no_doc", "~3.wA"},
      {"no_doc_at_all", "~3.A"},
      {"other_character", "~3.w="},
      {"second_dot", "~3.w.g"},
      {"comma", "~3.w,1"},
      {"second_mark", "~3.w~"},
      {"space", "~3. w"},
      {"first_too_large", "~1z141z4."},
      {"doc_past_the_largest", "~1z141z3.g"},
      {"bits_past_the_largest", "~1z141z0.AB"},
      {"gaps_then_bitmap", "3,~1.g"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_THROW(read_doc_list(r.text), VbError);
    if (r.text[0] == '~') {
      EXPECT_THROW(read_bitmap(r.text), VbError);
    }
  }
  // A bitmap is no gaps text.
  EXPECT_THROW(read_gaps("~0.w"), VbError);
}

TEST(SearchFiles, StringsAreAsciiWithOneSpelling) {
  const struct {
    const char* name;
    std::string utf8;
    const char* js;
  } rows[] = {
      {"ascii", "abc 1", "\"abc 1\""},
      {"quote_and_backslash", "a\"b\\c", "\"a\\\"b\\\\c\""},
      {"kanji_lower_hex", "東京", "\"\\u6771\\u4eac\""},
      {"control", "a\nb", "\"a\\u000ab\""},
      {"astral_as_surrogates", "\xF0\x9F\x8E\x89", "\"\\ud83c\\udf89\""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    std::string out;
    put_js_string(out, r.utf8);
    EXPECT_EQ(out, r.js);
  }
}

TEST(SearchFiles, ShardIsFnv1aOfTheUtf8Bytes) {
  // FNV-1a 32 of "a" is 0xe40c292c, of "" the offset basis 0x811c9dc5.
  EXPECT_EQ(shard_of("a", 1u << 31), 0xe40c292cu % (1u << 31));
  EXPECT_EQ(shard_of("a", 16), 0xcu);
  EXPECT_EQ(shard_of("", 1000), 0x811c9dc5u % 1000);
}

TEST(SearchFiles, PartsAndDocsReadBackAsWritten) {
  const std::vector<Posting> postings = {{"東京", {0, 5}}, {"ます", {1, 2, 3, 4, 5, 6, 7, 9}}, {"offline", {3}}};
  EXPECT_EQ(part_text("0002", 7, postings),
            "vorn_part(\"0002\",7,{\n\"\\u6771\\u4eac\":\"0,5\",\n\"\\u307e\\u3059\":\"~1._Q\",\n"
            "\"offline\":\"3\"})\n");
  EXPECT_EQ(parse_part(part_text("0002", 7, postings)), postings);
  const std::vector<DocRow> rows = {{12, "20040105102000", "2004-01-05", "件名", "A <a@example.jp>"}};
  EXPECT_EQ(
      docs_text("0002", 0, rows),
      "vorn_docs(\"0002\",0,[\n[12,\"20040105102000\",\"2004-01-05\",\"\\u4ef6\\u540d\",\"A <a@example.jp>\"]])\n");
  EXPECT_EQ(parse_docs(docs_text("0002", 0, rows)), rows);
}

TEST(SearchFiles, ManifestReadBackAndDamageRefused) {
  SearchManifest m{64, {{"0001", 900, 2, {}}, {"0003", 20, 1, {{"0001", {4, 7}}, {"0002", {0, 1, 2, 3}}}}}};
  const std::string text = manifest_text(m);
  EXPECT_EQ(text,
            "vorn_ix({\"v\":2,\"shards\":64,\"segs\":[\n"
            "{\"id\":\"0001\",\"docs\":900,\"chunks\":2,\"gone\":{}},\n"
            "{\"id\":\"0003\",\"docs\":20,\"chunks\":1,\"gone\":{\"0001\":\"4,3\",\"0002\":\"~0.4\"}}]})\n");
  const std::optional<SearchManifest> back = parse_manifest(text);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->segs.size(), 2u);
  EXPECT_EQ(back->segs[1].gone.at(0).second, (std::vector<std::uint32_t>{4, 7}));
  EXPECT_EQ(back->segs[1].gone.at(1).second, (std::vector<std::uint32_t>{0, 1, 2, 3}));
  for (const std::string& damaged : {text.substr(0, text.size() - 5), std::string("vorn_ix({})"), std::string()}) {
    SCOPED_TRACE(damaged);
    EXPECT_FALSE(parse_manifest(damaged));
  }
}

// A segment whose docs files hold other than 500 docs says how many; the
// page reads the count from there.
TEST(SearchFiles, ManifestCarriesTheDocsPerFile) {
  SearchManifest m{1024, {{"0004", 130000, 2032, {}, 64}, {"0005", 20, 1, {{"0004", {9}}}}}};
  const std::string text = manifest_text(m);
  EXPECT_EQ(text,
            "vorn_ix({\"v\":2,\"shards\":1024,\"segs\":[\n"
            "{\"id\":\"0004\",\"docs\":130000,\"chunks\":2032,\"gone\":{},\"chunk_docs\":64},\n"
            "{\"id\":\"0005\",\"docs\":20,\"chunks\":1,\"gone\":{\"0004\":\"9\"}}]})\n");
  const std::optional<SearchManifest> back = parse_manifest(text);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->segs.size(), 2u);
  EXPECT_EQ(back->segs[0].chunk_docs, 64u);
  EXPECT_EQ(back->segs[1].chunk_docs, 500u);
  EXPECT_EQ(back->segs[1].gone.at(0).second, (std::vector<std::uint32_t>{9}));
  const struct {
    const char* name;
    std::string text;
  } damaged[] = {
      {"zero",
       "vorn_ix({\"v\":1,\"shards\":16,\"segs\":[{\"id\":\"0001\",\"docs\":1,\"chunks\":1,\"gone\":{},"
       "\"chunk_docs\":0}]})"},
      {"other_key",
       "vorn_ix({\"v\":1,\"shards\":16,\"segs\":[{\"id\":\"0001\",\"docs\":1,\"chunks\":1,\"gone\":{},"
       "\"docs_per\":64}]})"},
      {"not_a_number",
       "vorn_ix({\"v\":1,\"shards\":16,\"segs\":[{\"id\":\"0001\",\"docs\":1,\"chunks\":1,\"gone\":{},"
       "\"chunk_docs\":\"64\"}]})"},
  };
  for (const auto& d : damaged) {
    SCOPED_TRACE(d.name);
    EXPECT_FALSE(parse_manifest(d.text));
  }
}

// An index written before lists could be bitmaps says "v":1 and holds gaps
// only; this program reads it as it stands (and its next manifest says 2).
// A version it does not know is no index it can read.
TEST(SearchFiles, VersionOneManifestIsRead) {
  const std::string v1 =
      "vorn_ix({\"v\":1,\"shards\":16,\"segs\":[\n"
      "{\"id\":\"0001\",\"docs\":3,\"chunks\":1,\"gone\":{}},\n"
      "{\"id\":\"0002\",\"docs\":2,\"chunks\":1,\"gone\":{\"0001\":\"0,1,1\"}}]})\n";
  const std::optional<SearchManifest> back = parse_manifest(v1);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->shards, 16u);
  ASSERT_EQ(back->segs.size(), 2u);
  EXPECT_EQ(back->segs[1].id, "0002");
  EXPECT_EQ(back->segs[1].gone.at(0).second, (std::vector<std::uint32_t>{0, 1, 2}));
  for (const char* version : {"0", "3", "12", "\"2\""}) {
    SCOPED_TRACE(version);
    std::string other = v1;
    other.replace(other.find('1'), 1, version);
    EXPECT_FALSE(parse_manifest(other));
  }
}

TEST(SearchFiles, PageTableFoundByBinarySearch) {
  const std::vector<PageDoc> rows = {
      {3, 1, 0xabc}, {9, 0, 1}, {12, 2, 0xffffffffffffffffull}, {9876543, 1234567, 0xfedcba9876543210ull}};
  const std::string table = page_table_text(rows);
  EXPECT_EQ(table,
            "0000003 0000001 0000000000000abc\n"
            "0000009 0000000 0000000000000001\n"
            "0000012 0000002 ffffffffffffffff\n"
            "9876543 1234567 fedcba9876543210\n");
  for (const PageDoc& r : rows) {
    const std::optional<PageDoc> p = find_page(table, r.page);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->doc, r.doc);
    EXPECT_EQ(p->hash, r.hash);
  }
  for (std::uint32_t missing : {0u, 4u, 13u}) EXPECT_FALSE(find_page(table, missing));
}

TEST(SearchFiles, SegmentOfAFileName) {
  const struct {
    const char* name;
    const char* segment;
  } rows[] = {{"0001_3.js", "0001"}, {"12345_d0.js", "12345"}, {"0001_p.txt", "0001"},
              {"ix.js", ""},         {"find.js", ""},          {".vorn_htm~ix.js.Ab12Cd", ""}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(segment_of(r.name), r.segment);
  }
}

}  // namespace

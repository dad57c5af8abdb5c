// The search index an archive gets with SRCH_IX on, read as the search page
// reads it (support/search_reader.h): what a query finds after a full build,
// appends, re-sent messages and a rebuild, and nothing of it with the key off.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "archive/search_files.h"
#include "codec/cp932.h"
#include "support/program_copy.h"
#include "support/search_reader.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

struct Mail {
  std::string id, from, subject, date, body;  // UTF-8; the mailbox gets Shift_JIS
  std::string attachment = {};                // a file name, when the message carries one
  std::string data = "AAECAw==";              // the file, in base64
};

std::string mailbox(const std::vector<Mail>& mails) {
  std::string box;
  for (const Mail& m : mails) {
    box += "From: " + m.from + "\r\nSubject: " + m.subject + "\r\nDate: " + m.date + "\r\nMessage-ID: <" + m.id +
           ">\r\nMIME-Version: 1.0\r\n";
    if (m.attachment.empty()) {
      box += "Content-Type: text/plain; charset=Shift_JIS\r\n\r\n" + m.body + "\r\n.\r\n";
      continue;
    }
    box +=
        "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n--b1\r\n"
        "Content-Type: text/plain; charset=Shift_JIS\r\n\r\n" +
        m.body + "\r\n--b1\r\nContent-Type: application/octet-stream; name=\"" + m.attachment +
        "\"\r\nContent-Disposition: attachment; filename=\"" + m.attachment +
        "\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" + m.data + "\r\n--b1--\r\n.\r\n";
  }
  return cp932::from_utf8(box);
}

const std::vector<Mail> kBase = {
    {"a1@example.jp", "山田 太郎 <taro@example.jp>", "会議室の予約", "Mon, 05 Jan 2004 10:00:00 +0900",
     "来週の打ち合わせ\r\nは会議室Ａで行います。\r\n> 前回の議事録"},
    {"a2@example.jp", "Alice <alice@example.com>", "offline meeting", "Tue, 06 Jan 2004 10:00:00 +0900",
     "See you tomorrow at the station."},
    {"a3@example.jp", "鈴木 花子 <hanako@example.ne.jp>", "資料", "Wed, 07 Jan 2004 10:00:00 +0900",
     "資料を添付します。", "report2024.pdf"},
};

std::string settings_file(bool search) {
  return cp932::from_utf8(std::string("[vorn_htm]\r\nSRCH_IX=") + (search ? "1" : "0") + "\r\n");
}

struct Archive {
  TempDir t;
  ProgramCopy p{t / "prog"};
  std::string out = t / "out";
  int boxes = 0;

  explicit Archive(bool search = true) { p.settings(settings_file(search)); }
  void run(const std::vector<Mail>& mails, bool rebuild = false) {
    const std::string box = t.write("in" + std::to_string(++boxes) + ".mbx", mailbox(mails));
    std::vector<std::string> words = {"-i", box, "-o", out};
    if (rebuild) words.insert(words.end(), {"-d", "y"});
    const ProgramCopy::Result r = p.run(words);
    ASSERT_EQ(r.status, 0) << r.err;
  }
  std::set<unsigned> find(const std::vector<std::string>& tokens) const { return SearchReader(out).find(tokens); }
};

using Pages = std::set<unsigned>;

// A query (its tokens) and the pages the index finds for it.
struct Finds {
  const char* name;
  std::vector<std::string> tokens;
  Pages pages;
};

void expect_finds(const Archive& a, std::initializer_list<Finds> rows) {
  for (const Finds& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(a.find(r.tokens), r.pages);
  }
}

TEST(SearchIndex, FullBuildFindsWhatThePagesShow) {
  Archive a;
  a.run(kBase);
  ASSERT_TRUE(SearchReader(a.out).present());
  EXPECT_EQ(SearchReader(a.out).segments(), 1u);
  expect_finds(a, {
                      {"subject", {"会議", "議室", "の予", "予約"}, {1}},
                      {"word_wrapped_inside", {"せは"}, {1}},
                      {"quoted_text_without_marker", {"議事", "事録"}, {1}},
                      {"sender_name", {"山田"}, {1}},
                      {"sender_address", {"hanako", "example", "ne", "jp"}, {3}},
                      {"english_words", {"offline", "meeting"}, {2}},
                      {"body_word", {"tomorrow"}, {2}},
                      {"attachment_name", {"report2024", "pdf"}, {3}},
                      {"in_several", {"example"}, {1, 2, 3}},
                      {"one_kana_inside_a_word", {"を"}, {3}},
                      {"one_kanji", {"室"}, {1}},
                      {"all_tokens_needed", {"offline", "資料"}, {}},
                      {"no_page_markup", {"font"}, {}},
                      {"no_link_markup", {"href"}, {}},
                      {"no_quote_marker", {">"}, {}},
                  });
  const std::string menu = ProgramCopy::slurp(a.out + "/menu.html");
  EXPECT_NE(menu.find(cp932::from_utf8("<A HREF=\"search.html\" target=\"frame2\" title=\"検索\">検索</A><BR>\r\n")),
            std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(a.out + "/search.html"));
}

// Words are told apart by their whole text: those that share their first
// eight bytes, or differ only in length, each find their own message.
TEST(SearchIndex, WordsAlikeInTheirFirstBytesAreKeptApart) {
  const std::vector<std::string> words = {
      "abcdefg", "abcdefgh",          "abcdefghi",         "abcdefghj", "ab",
      "abc",     "abcdefghijklmnop1", "abcdefghijklmnop2", "12345678",  "123456789012345678"};
  std::vector<Mail> mails;
  for (std::size_t k = 0; k < words.size(); ++k)
    mails.push_back({"w" + std::to_string(k) + "@example.jp", "x@example.jp", "word", "Mon, 05 Jan 2004 10:00:00 +0900",
                     "the word " + words[k]});
  Archive a;
  a.run(mails);
  for (std::size_t k = 0; k < words.size(); ++k) {
    SCOPED_TRACE(words[k]);
    EXPECT_EQ(a.find({words[k]}), Pages{static_cast<unsigned>(k + 1)});
  }
  EXPECT_EQ(a.find({"abcdefghi", "abcdefghj"}), Pages{});
}

// A file whose name another file has taken is saved under another name
// (budget.pdf, budget1.pdf, ...) by the page writer's thread while the
// reading goes on: the index holds the names the pages link, every time.
TEST(SearchIndex, AttachmentsSavedUnderAnotherNameAreFoundByIt) {
  std::vector<Mail> mails;
  const std::string base64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (std::size_t k = 0; k < 40; ++k)  // each file different: not one file linked from all
    mails.push_back({"r" + std::to_string(k) + "@example.jp", "a@example.jp", "report",
                     "Mon, 05 Jan 2004 10:00:00 +0900", "body", "budget.pdf", "AA" + base64.substr(k, 1) + "A"});
  Archive a;
  a.run(mails);
  EXPECT_EQ(a.find({"budget"}), Pages{1});
  for (unsigned page = 2; page <= 40; ++page) {
    SCOPED_TRACE(page);
    const std::string saved = "budget" + std::to_string(page - 1);
    ASSERT_TRUE(fs::is_regular_file(a.out + "/" + saved + ".pdf"));
    EXPECT_EQ(a.find({saved}), Pages{page});
  }
}

TEST(SearchIndex, WithTheKeyOffNothingOfItIsWrittenAndAnOldIndexGoes) {
  Archive off(false);
  off.run(kBase);
  EXPECT_FALSE(fs::exists(off.out + "/srch"));
  EXPECT_FALSE(fs::exists(off.out + "/search.html"));
  EXPECT_EQ(ProgramCopy::slurp(off.out + "/menu.html").find("search.html"), std::string::npos);

  Archive on;
  on.run(kBase);
  ASSERT_TRUE(fs::exists(on.out + "/srch/ix.js"));
  on.p.settings(settings_file(false));
  on.run({{"a4@example.jp", "Bob <bob@example.com>", "later", "Thu, 08 Jan 2004 10:00:00 +0900", "text"}});
  // It could no longer find the messages that runs without it add.
  EXPECT_FALSE(fs::exists(on.out + "/srch"));
  EXPECT_FALSE(fs::exists(on.out + "/search.html"));
  EXPECT_EQ(ProgramCopy::slurp(on.out + "/menu.html").find("search.html"), std::string::npos);
}

TEST(SearchIndex, AnAppendAddsNewMessagesAndAReplacedOneIsFoundByItsNewTextOnly) {
  Archive a;
  a.run(kBase);
  Mail resent = kBase[1];
  resent.body = "The gathering is cancelled.";
  a.run({resent, {"a4@example.jp", "Bob <bob@example.com>", "追加分", "Thu, 08 Jan 2004 10:00:00 +0900", "new text"}});
  expect_finds(a, {
                      {"new_message", {"追加", "加分"}, {4}},
                      {"replaced_by_new_text", {"cancelled"}, {2}},
                      {"not_by_old_text", {"tomorrow"}, {}},
                      {"unchanged_subject", {"offline", "meeting"}, {2}},
                      {"older_untouched", {"会議"}, {1}},
                  });
  // The same append again changes nothing of the index.
  const std::string manifest = ProgramCopy::slurp(a.out + "/srch/ix.js");
  a.run({resent});
  EXPECT_EQ(ProgramCopy::slurp(a.out + "/srch/ix.js"), manifest);
  EXPECT_EQ(a.find({"cancelled"}), Pages{2});
}

TEST(SearchIndex, ARebuildWritesTheIndexAnew) {
  Archive a;
  a.run(kBase);
  a.run({{"a4@example.jp", "Bob <bob@example.com>", "later", "Thu, 08 Jan 2004 10:00:00 +0900", "text"}});
  a.run({{"b1@example.jp", "Carol <carol@example.org>", "fresh start", "Fri, 09 Jan 2004 10:00:00 +0900", "only"}},
        true);
  EXPECT_EQ(SearchReader(a.out).segments(), 1u);
  EXPECT_EQ(a.find({"fresh", "start"}), Pages{1});
  EXPECT_EQ(a.find({"会議"}), Pages{});
  EXPECT_EQ(a.find({"later"}), Pages{});
}

// Every doc list of the index spelt as gaps and the manifest made version 1:
// the index as the program wrote it before lists could be bitmaps.
void spell_as_version_one(const std::string& out) {
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  const auto base36 = [](unsigned n) {
    std::string s;
    do s.insert(s.begin(), kDigits[n % 36]);
    while ((n /= 36) > 0);
    return s;
  };
  for (const auto& e : fs::directory_iterator(out + "/srch")) {
    const std::string name = e.path().filename().string();
    // Doc rows and the page table hold no lists.
    if (name == "find.js" || name.find("_d") != std::string::npos || name.ends_with(".txt")) continue;
    const std::string text = SearchReader::slurp(e.path().string());
    std::string spelt;
    std::size_t at = 0;
    for (std::size_t q; (q = text.find(":\"~", at)) != std::string::npos;) {
      const std::size_t end = text.find('"', q + 2);
      spelt += text.substr(at, q + 2 - at);
      const std::vector<unsigned> docs = SearchReader::list(text.substr(q + 2, end - q - 2));
      for (std::size_t k = 0; k < docs.size(); ++k) spelt += (k ? "," : "") + base36(docs[k] - (k ? docs[k - 1] : 0));
      at = end;
    }
    spelt += text.substr(at);
    if (name == "ix.js") {
      ASSERT_EQ(spelt.rfind("vorn_ix({\"v\":2,", 0), 0u);
      spelt.replace(0, 15, "vorn_ix({\"v\":1,");
    }
    std::ofstream(e.path(), std::ios::binary) << spelt;
  }
}

bool holds_bitmap(const std::string& out) {
  for (const auto& e : fs::directory_iterator(out + "/srch"))
    if (SearchReader::slurp(e.path().string()).find(":\"~") != std::string::npos) return true;
  return false;
}

// An index written before lists could be bitmaps ("v":1, every list as
// gaps) is read as it stands: appends add to it and merge its segment, and
// the manifest then says 2.
TEST(SearchIndex, AnIndexOfGapsOnlyTakesAppendsAndMerges) {
  Archive a;
  a.run(kBase);
  // "example" is in all three docs, 0 to 2, shorter as a bitmap ("~0.w").
  ASSERT_TRUE(holds_bitmap(a.out));
  spell_as_version_one(a.out);
  ASSERT_FALSE(holds_bitmap(a.out));
  EXPECT_EQ(a.find({"example"}), (Pages{1, 2, 3}));
  // Taken as an index: the append is a segment of its own (a rebuild would
  // make one of all four).
  a.run({{"a4@example.jp", "Bob <bob@example.com>", "追加分", "Thu, 08 Jan 2004 10:00:00 +0900", "new text"}});
  EXPECT_EQ(ProgramCopy::slurp(a.out + "/srch/ix.js").rfind("vorn_ix({\"v\":2,", 0), 0u);
  EXPECT_EQ(SearchReader(a.out).segments(), 2u);
  // One more: the three segments merge into one, read from the old gaps.
  Mail resent = kBase[1];
  resent.body = "The gathering is cancelled.";
  a.run({resent});
  EXPECT_EQ(SearchReader(a.out).segments(), 1u);
  expect_finds(a, {
                      {"in_every_message", {"example"}, {1, 2, 3, 4}},
                      {"new_message", {"追加", "加分"}, {4}},
                      {"replaced_by_new_text", {"cancelled"}, {2}},
                      {"not_by_old_text", {"tomorrow"}, {}},
                      {"older_untouched", {"会議"}, {1}},
                      {"attachment_name", {"report2024", "pdf"}, {3}},
                  });
}

// An index of a version this program does not know is made anew, and no
// file of it stays: a shard file the new index does not write (no token of
// it) would be read as one of the new segment of the same name.
TEST(SearchIndex, AnIndexOfAnotherVersionIsMadeAnewWithNothingOfItLeft) {
  const Mail one = {"s1@example.jp", "A <a@example.jp>", "x", "Mon, 05 Jan 2004 10:00:00 +0900", "y"};
  Archive a;
  a.run({one});
  const unsigned long shards = SearchReader(a.out).shards();
  // A shard that has no file, and a token of that shard.
  unsigned long k = 0;
  while (k < shards && fs::exists(a.out + "/srch/0001_" + std::to_string(k) + ".js")) ++k;
  ASSERT_LT(k, shards);
  std::string token;
  for (int n = 0; token.empty(); ++n) {
    const std::string t = "stale" + std::to_string(n);
    std::uint32_t h = 2166136261u;
    for (const char c : t) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    if (h % shards == k) token = t;
  }
  const std::string stale = a.out + "/srch/0001_" + std::to_string(k) + ".js";
  std::ofstream(stale, std::ios::binary) << "vorn_part(\"0001\"," << k << ",{\"" << token << "\":\"0\"})\n";
  std::string ix = ProgramCopy::slurp(a.out + "/srch/ix.js");
  ASSERT_EQ(ix.rfind("vorn_ix({\"v\":2,", 0), 0u);
  ix[13] = '9';
  std::ofstream(a.out + "/srch/ix.js", std::ios::binary) << ix;
  // The same message again: the index made anew holds the same tokens.
  a.run({one});
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_EQ(SearchReader(a.out).segments(), 1u);
  EXPECT_EQ(a.find({token}), Pages{});
  EXPECT_EQ(a.find({"x", "y"}), Pages{1});
}

// A manifest may name any number of shards (another writer's choice): an
// append to an index of three writes its segment in three shards too, each
// part once all tokens are read, and finds what it adds as well as what was
// there.
TEST(SearchIndex, AnIndexOfShardsNotAPowerOfTwoTakesAppends) {
  Archive a;
  a.run(kBase);
  const std::string dir = a.out + "/srch/";
  const unsigned long shards = SearchReader(a.out).shards();
  // The segment's parts dealt again into three shards.
  std::map<std::uint32_t, std::vector<Posting>> dealt;
  for (unsigned long k = 0; k < shards; ++k) {
    const std::string path = dir + "0001_" + std::to_string(k) + ".js";
    if (!fs::exists(path)) continue;
    for (Posting& p : parse_part(ProgramCopy::slurp(path))) dealt[shard_of(p.first, 3)].push_back(std::move(p));
    fs::remove(path);
  }
  ASSERT_EQ(dealt.size(), 3u);
  for (auto& [k, postings] : dealt) {
    std::sort(postings.begin(), postings.end());
    std::ofstream(dir + "0001_" + std::to_string(k) + ".js", std::ios::binary) << part_text("0001", k, postings);
  }
  std::string ix = ProgramCopy::slurp(dir + "ix.js");
  const std::string was = "\"shards\":" + std::to_string(shards) + ",";
  ASSERT_NE(ix.find(was), std::string::npos);
  ix.replace(ix.find(was), was.size(), "\"shards\":3,");
  std::ofstream(dir + "ix.js", std::ios::binary) << ix;
  expect_finds(a, {{"dealt_again", {"offline", "meeting"}, {2}}});

  a.run({{"b1@example.jp", "Bob <bob@example.jp>", "夏祭り", "Thu, 08 Jan 2004 10:00:00 +0900", "花火大会 fireworks"}});
  EXPECT_EQ(SearchReader(a.out).shards(), 3u);
  EXPECT_EQ(SearchReader(a.out).segments(), 2u);
  expect_finds(a, {
                      {"appended", {"花火", "火大", "大会"}, {4}},
                      {"appended_word", {"fireworks"}, {4}},
                      {"appended_subject", {"夏祭", "祭り"}, {4}},
                      {"earlier", {"offline", "meeting"}, {2}},
                      {"in_all", {"example"}, {1, 2, 3, 4}},
                  });
}

// A segment of more than 500 docs keeps them in files of 64, which the
// manifest names; a small one keeps its one file of up to 500. The page finds
// doc d in file d / 64, so every message must be found on its own page, also
// by a word that every message holds (a long list of docs put in order).
TEST(SearchIndex, ALargeSegmentKeepsItsDocsInSmallFiles) {
  std::vector<Mail> many;
  const int n = 530;
  for (int k = 0; k < n; ++k) {
    const std::string word = "w" + std::to_string(k) + "x";
    char date[64];
    // Dates out of the mailbox's order: docs are numbered by date.
    const int minute = k % 2 == 0 ? k : 2000 - k;
    std::snprintf(date, sizeof date, "Mon, %02d Feb 2004 %02d:%02d:00 +0900", 1 + minute / 1440, minute / 60 % 24,
                  minute % 60);
    many.push_back({"m" + std::to_string(k) + "@example.jp", "Eve <eve@example.com>", word, date, "body " + word});
  }
  Archive a;
  a.run(many);
  a.run({{"z@example.jp", "Zed <zed@example.com>", "tail", "Sun, 29 Feb 2004 10:00:00 +0900", "last one"}});
  const SearchReader r(a.out);
  ASSERT_EQ(r.segments(), 2u);
  EXPECT_EQ(r.chunk_docs(0), 64u);
  EXPECT_EQ(r.chunks(0), 9u);  // 8 files of 64 and one of 18
  EXPECT_TRUE(fs::exists(a.out + "/srch/0001_d8.js"));
  EXPECT_EQ(r.chunk_docs(1), 500u);
  EXPECT_EQ(r.chunks(1), 1u);
  for (const int k : {0, 63, 64, 300, 511, 512, 529}) {
    SCOPED_TRACE(k);
    EXPECT_EQ(a.find({"w" + std::to_string(k) + "x"}), Pages{static_cast<unsigned>(1 + k)});
  }
  Pages all;
  for (int k = 0; k < n; ++k) all.insert(static_cast<unsigned>(1 + k));
  EXPECT_EQ(a.find({"body"}), all);
  EXPECT_EQ(a.find({"last", "one"}), Pages{static_cast<unsigned>(n + 1)});
}

// Appends one message at a time: the segments stay about log2 of the
// messages, and every message is found on its page whatever was merged.
TEST(SearchIndex, MergesKeepTheSegmentsFewAndFindEveryMessage) {
  Archive a;
  a.run(kBase);
  const int n = 24;
  std::size_t most = 0;
  for (int k = 0; k < n; ++k) {
    const std::string word = "word" + std::to_string(k);
    a.run({{"c" + std::to_string(k) + "@example.jp", "Dan <dan@example.com>", word,
            "Sat, 10 Jan 2004 10:" + std::to_string(10 + k) + ":00 +0900", "text of " + word}});
    most = std::max(most, SearchReader(a.out).segments());
  }
  EXPECT_LE(most, 6u);  // 27 messages: log2(27) + 1
  for (int k = 0; k < n; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(a.find({"word" + std::to_string(k)}), Pages{static_cast<unsigned>(4 + k)});
  }
  EXPECT_EQ(a.find({"text", "of"}).size(), static_cast<std::size_t>(n));
  // No file that the manifest does not name stays behind.
  std::set<std::string> ids;
  const std::string ix = ProgramCopy::slurp(a.out + "/srch/ix.js");
  for (const auto& e : fs::directory_iterator(a.out + "/srch")) {
    const std::string name = e.path().filename().string();
    if (name == "ix.js" || name == "find.js") continue;
    EXPECT_NE(ix.find("\"id\":\"" + name.substr(0, name.find('_')) + "\""), std::string::npos) << name;
  }
}

// An archive written with the key off gets, on the first run with it on, an
// index of every message it holds, read back from its pages; the appends
// after it add only their own messages. Switched off, the index goes; on
// again, it is made anew of everything.
TEST(SearchIndex, SwitchedOnForAnArchiveItIndexesTheMessagesAlreadyThere) {
  Archive a(false);
  a.run(kBase);
  ASSERT_FALSE(fs::exists(a.out + "/srch"));
  a.p.settings(settings_file(true));
  a.run({{"a4@example.jp", "Bob <bob@example.com>", "追加分", "Thu, 08 Jan 2004 10:00:00 +0900", "new text"}});
  EXPECT_EQ(SearchReader(a.out).segments(), 1u);
  a.run({{"a5@example.jp", "Eve <eve@example.org>", "next", "Fri, 09 Jan 2004 10:00:00 +0900", "nightly"}});
  // Its own segment: the messages already there are not read again.
  EXPECT_EQ(SearchReader(a.out).segments(), 2u);
  a.p.settings(settings_file(false));
  a.run({{"a6@example.jp", "Eve <eve@example.org>", "while off", "Sat, 10 Jan 2004 10:00:00 +0900", "unseen"}});
  EXPECT_FALSE(fs::exists(a.out + "/srch"));
  a.p.settings(settings_file(true));
  Mail resent = kBase[1];
  resent.body = "The gathering is cancelled.";
  a.run({resent});
  EXPECT_EQ(SearchReader(a.out).segments(), 1u);
  expect_finds(a, {
                      {"subject", {"会議", "議室", "の予", "予約"}, {1}},
                      {"word_wrapped_inside", {"せは"}, {1}},
                      {"quoted_text_without_marker", {"議事", "事録"}, {1}},
                      {"sender_name", {"山田"}, {1}},
                      {"sender_address", {"hanako", "example", "ne", "jp"}, {3}},
                      {"attachment_name", {"report2024", "pdf"}, {3}},
                      {"one_kanji", {"室"}, {1}},
                      {"added_while_on", {"追加", "加分"}, {4}},
                      {"appended_after", {"nightly"}, {5}},
                      {"added_while_off", {"unseen"}, {6}},
                      {"resent_by_new_text", {"cancelled"}, {2}},
                      {"resent_not_by_old_text", {"tomorrow"}, {}},
                      {"in_several", {"example"}, {1, 2, 3, 4, 5, 6}},
                      {"no_page_markup", {"font"}, {}},
                      {"no_link_markup", {"href"}, {}},
                      {"no_header_label", {"title"}, {}},
                      {"no_date", {"2004"}, {}},
                  });
}

// Mail in UTF-8 whose characters code page 932 lacks: the archive's text
// holds them as references ("caf&#233;"), the pages show the characters, and
// the index finds the message by them and lists it with them, whether it
// reads the message as the walk hands it over or from its page.
const char kUtf8Mail[] =
    "From: =?UTF-8?Q?Jos=C3=A9?= <jose@example.com>\r\n"
    "Subject: =?UTF-8?Q?R=C3=A9union_caf=C3=A9?=\r\n"
    "Date: Mon, 05 Jan 2004 10:00:00 +0900\r\n"
    "Message-ID: <u1@example.com>\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
    "--b1\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
    "M\xC3\xBCller \xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4 na\xC3\xAFve &#233; \xF0\x9F\x98\x80ok\r\n"
    "--b1\r\nContent-Type: application/octet-stream\r\n"
    "Content-Disposition: attachment; filename=\"=?UTF-8?Q?r=C3=A9sum=C3=A9.pdf?=\"\r\n"
    "Content-Transfer-Encoding: base64\r\n\r\nAAECAw==\r\n--b1--\r\n.\r\n";

void expect_utf8_mail_found(const Archive& a, unsigned page) {
  expect_finds(a, {
                      {"subject", {"r\u00e9union", "caf\u00e9"}, {page}},
                      {"sender", {"jos\u00e9"}, {page}},
                      {"latin_word", {"m\u00fcller"}, {page}},
                      {"hangul_word", {"\ud55c\uad6d\uc5b4"}, {page}},
                      {"word_with_a_diaeresis", {"na\u00efve"}, {page}},
                      {"attachment_name", {"r\u00e9sum\u00e9", "pdf"}, {page}},
                      {"emoji_separates", {"ok"}, {page}},
                      // "&#233;" as the mail wrote it is text, not an "é".
                      {"literal_reference", {"233"}, {page}},
                      {"no_fragment", {"caf"}, {}},
                      {"no_code_point", {"252"}, {}},
                  });
}

TEST(SearchIndex, CharactersOutsideCodePage932AreFoundAndListedAsThePageShowsThem) {
  Archive a;
  const std::string box = a.t.write("utf8.mbx", kUtf8Mail);
  ASSERT_EQ(a.p.run({"-i", box, "-o", a.out}).status, 0);
  ASSERT_NE(ProgramCopy::slurp(a.out + "/m0000001.htm").find("caf&#233;"), std::string::npos);
  expect_utf8_mail_found(a, 1);
  const std::string docs = ProgramCopy::slurp(a.out + "/srch/0001_d0.js");
  EXPECT_NE(docs.find("\"R\\u00e9union caf\\u00e9\",\"Jos\\u00e9 <jose@example.com>\""), std::string::npos) << docs;
  EXPECT_EQ(docs.find("&#"), std::string::npos) << docs;
}

TEST(SearchIndex, CharactersOutsideCodePage932AreFoundInPagesReadBack) {
  Archive a(false);
  const std::string box = a.t.write("utf8.mbx", kUtf8Mail);
  ASSERT_EQ(a.p.run({"-i", box, "-o", a.out}).status, 0);
  a.p.settings(settings_file(true));
  a.run({{"a4@example.jp", "Bob <bob@example.com>", "later", "Thu, 08 Jan 2004 10:00:00 +0900", "new text"}});
  expect_utf8_mail_found(a, 1);
}

}  // namespace

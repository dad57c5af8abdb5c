// The escapes of visible text and of the menu's hidden comment values, and
// the subject clean-up, compared with plain reference versions on texts of
// every kind, and timed on texts of ten million bytes of one character.
#include <gtest/gtest.h>
#include <time.h>

#include <string>
#include <string_view>

#include "archive/menu_comment.h"
#include "archive/menu_entry.h"
#include "archive/message_page.h"
#include "codec/sjis_text.h"
#include "core/common_text.h"
#include "mail/header_fields.h"
#include "support/html_esc_reference.h"

namespace {

// The comment rule by its words: a single-byte ">" or "&" whose value text
// before it ends in "--" or "--!" is written as an entity.
std::string Reference_Comment(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size();) {
    const std::size_t n = sjis::char_len(value, i);
    const std::string_view before = value.substr(0, i);
    const bool dashes = before.ends_with("--") || before.ends_with("--!");
    if (n == 1 && dashes && value[i] == '>')
      out += "&gt;";
    else if (n == 1 && dashes && value[i] == '&')
      out += "&amp;";
    else
      out.append(value.substr(i, n));
    i += n;
  }
  return out;
}

std::string Repeat(std::string_view unit, std::size_t bytes) {
  std::string s;
  s.reserve(bytes + unit.size());
  while (s.size() < bytes) s.append(unit);
  s.resize(bytes);
  return s;
}

struct Case {
  const char* name;
  std::string text;
};

const Case kCases[] = {
    {"empty", ""},
    {"plain", "hello world"},
    {"one gt", ">"},
    {"one lt", "<"},
    {"gt then lt", "a>b<c"},
    {"lt then gt", "<tag>"},
    {"many gt then one lt", std::string(1000, '>') + "<"},
    {"many lt then one gt", std::string(1000, '<') + ">"},
    {"alternating", Repeat("<>", 999)},
    {"ampersand escaped", "a&b&amp;"},
    {"numeric references kept", "J&#248;rn &#128512; &#; &#x41; &#12a; &#1234"},
    {"comment end", Repeat("-->", 300)},
    {"dashes", Repeat("-", 301)},
    {"dashes bang gt", "x--!>y--!&z"},
    {"kanji whose second byte is gt-like", "\x88\x9F>\x88\x9F<"},  // 亜
    {"lead byte before gt", "\x88>\x88<"},                         // a lead byte that stands alone
    {"lone lead byte at the end", "abc\x88"},
    {"kanji with bracket second bytes", "\x88\x5B\x88\x5D\x95\x5C\x83\x7C"},  // 圏 and others, 表, ポ
    {"half-width katakana", "\xB1\xB2>\xB3"},
    {"0x9F and 0xE0 lead bytes", "\x9F\x40>\xE0\x40<\xEA\xA4"},
};

TEST(EscapeCases, HtmlEscMatchesTheReference) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Html_Esc(c.text), Html_Esc_Reference(c.text));
    std::string out = "kept|";
    Html_Esc_To(out, c.text);
    EXPECT_EQ(out, "kept|" + Html_Esc_Reference(c.text));
  }
}

TEST(EscapeCases, CommentEscapeMatchesTheReferenceAndReadsBack) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string written = menu_comment::escape(c.text);
    EXPECT_EQ(written, Reference_Comment(c.text));
    EXPECT_EQ(menu_comment::unescape(written), c.text);
    // What is written never ends the comment early.
    EXPECT_EQ(written.find("-->"), std::string::npos);
    EXPECT_EQ(written.find("--!>"), std::string::npos);
  }
}

// Each of these ran in time that grew with the square of the text: ten
// million bytes of one character took minutes. Linear code does them in a
// few tens of milliseconds. Under the sanitizers, or without optimisation,
// every byte costs many times more, so the bound there only tells linear
// from quadratic.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORN_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(VORN_TEST_ASAN) || !defined(__OPTIMIZE__)
constexpr bool kSlowBuild = true;
#else
constexpr bool kSlowBuild = false;
#endif
constexpr double kBoundSeconds = kSlowBuild ? 20.0 : 1.0;
constexpr std::size_t kBytes = 10'000'000;

// Processor time of this thread, not the wall clock: other work on a busy
// machine does not count against the bound.
template <class F>
double Seconds(F f) {
  timespec a{}, b{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
  f();
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
  return static_cast<double>(b.tv_sec - a.tv_sec) + static_cast<double>(b.tv_nsec - a.tv_nsec) * 1e-9;
}

TEST(EscapeTime, TenMegabyteLinesEscapeInUnderASecond) {
  const struct {
    const char* name;
    std::string unit;
  } units[] = {
      {"gt", ">"}, {"lt", "<"}, {"comment end", "-->"}, {"dashes", "-"}, {"kanji and gt", "\x88\x9F>"},
  };
  for (const auto& u : units) {
    SCOPED_TRACE(u.name);
    const std::string text = Repeat(u.unit, kBytes);
    std::string out;
    EXPECT_LT(Seconds([&] { out = Html_Esc(text); }), kBoundSeconds) << "Html_Esc";
    EXPECT_GE(out.size(), text.size());
    std::string written;
    EXPECT_LT(Seconds([&] { written = menu_comment::escape(text); }), kBoundSeconds) << "comment escape";
    std::string back;
    EXPECT_LT(Seconds([&] { back = menu_comment::unescape(written); }), kBoundSeconds) << "comment unescape";
    EXPECT_EQ(back, text);
  }
}

TEST(EscapeTime, TenMegabyteSubjectsCleanUpInUnderASecond) {
  const struct {
    const char* name;
    std::string unit;
  } units[] = {
      {"closing brackets", "]"},         {"brackets", "[x]"}, {"re", "Re:"},
      {"re and spaces", "re: "},         {"gt", ">"},         {"kanji", "\x88\x9F"},
      {"kanji with ] byte", "\x88\x5D"},
  };
  for (const auto& u : units) {
    SCOPED_TRACE(u.name);
    const std::string text = Repeat(u.unit, kBytes);
    std::string subj = text;
    EXPECT_LT(Seconds([&] { Trim_Subj(subj); }), kBoundSeconds) << "Trim_Subj";
    for (int kak = 0; kak < 2; ++kak) {
      for (int res = 0; res < 2; ++res) {
        subj = text;
        EXPECT_LT(Seconds([&] { Del_Subj_Opt(subj, kak, res); }), kBoundSeconds)
            << "Del_Subj_Opt SBJ_KAK=" << kak << " SBJ_RES=" << res;
      }
    }
  }
}

TEST(EscapeTime, PageAndMenuEntryOfTenMegabyteValuesInUnderASecond) {
  Settings set;
  set.REP_MRK = ">|";
  set.MN_SUBJ = set.MN_DATE = set.MN_HASN = set.MN_ADRS = true;
  set.KB_SUBJ = set.KB_FROM = set.KB_DATE = true;
  set.SBJ_KAK = set.SBJ_RES = false;
  for (const char* unit : {">", "-->", "\x88\x9F>"}) {
    SCOPED_TRACE(unit);
    const std::string text = Repeat(unit, kBytes);
    PageContent page;
    page.lines.push_back(text);
    page.subject = text;
    page.sender = text + " <a@b>";
    page.date = "2004-01-05 10:15:00";
    page.attachments = Attach_List({""});
    std::string html;
    EXPECT_LT(Seconds([&] { html = Render_Page(set, page); }), kBoundSeconds) << "Render_Page";
    EXPECT_GT(html.size(), 3 * kBytes);

    const std::string sender = text + " <a@b>";
    const MessageRecord f("2004-01-05 10:15:00", text, sender, text, text, "m0000001.htm", "0");
    std::string line;
    EXPECT_LT(Seconds([&] { Menu_Entry(line, f, 3, set); }), kBoundSeconds) << "Menu_Entry";
    const std::size_t comment = line.find(menu_comment::kStart);
    ASSERT_NE(comment, std::string::npos);
    EXPECT_EQ(line.find("-->", comment), line.size() - 7) << "only the comment's own end";
  }
}

}  // namespace

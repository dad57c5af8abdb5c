// The escapes of visible text and of the menu's hidden comment values, and
// the subject clean-up, compared with plain reference versions on texts of
// every kind, and their work measured on long texts of one character.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "archive/menu_comment.h"
#include "archive/menu_entry.h"
#include "archive/message_page.h"
#include "codec/sjis_text.h"
#include "core/common_text.h"
#include "mail/header_fields.h"
#include "support/html_esc_reference.h"
#include "support/linear_work.h"

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
    html_esc_to(out, c.text);
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

// Each of these once took work that grew with the square of the text: ten
// million bytes of one character took minutes. Their work must grow
// linearly with the text.
TEST(EscapeWork, LinesEscapeLinearly) {
  const struct {
    const char* name;
    std::string unit;
  } units[] = {
      {"gt", ">"}, {"lt", "<"}, {"comment end", "-->"}, {"dashes", "-"}, {"kanji and gt", "\x88\x9F>"},
  };
  LinearWork work(8192);
  for (const auto& u : units) {
    SCOPED_TRACE(u.name);
    const std::string text = Repeat(u.unit, 1000);
    EXPECT_GE(Html_Esc(text).size(), text.size());
    EXPECT_EQ(menu_comment::unescape(menu_comment::escape(text)), text);
    const std::string name = u.name;
    work.add(name + ": Html_Esc", [&u](std::size_t n) { return [text = Repeat(u.unit, n)] { Html_Esc(text); }; });
    work.add(name + ": comment escape",
             [&u](std::size_t n) { return [text = Repeat(u.unit, n)] { menu_comment::escape(text); }; });
    work.add(name + ": comment unescape", [&u](std::size_t n) {
      return [written = menu_comment::escape(Repeat(u.unit, n))] { menu_comment::unescape(written); };
    });
  }
  work.expect_linear();
}

TEST(EscapeWork, SubjectsCleanUpLinearly) {
  const struct {
    const char* name;
    std::string unit;
  } units[] = {
      {"closing brackets", "]"},         {"brackets", "[x]"}, {"re", "Re:"},
      {"re and spaces", "re: "},         {"gt", ">"},         {"kanji", "\x88\x9F"},
      {"kanji with ] byte", "\x88\x5D"},
  };
  LinearWork work;
  for (const auto& u : units) {
    const std::string name = u.name;
    work.add(name + ": Trim_Subj",
             [&u](std::size_t n) { return [subj = Repeat(u.unit, n)]() mutable { Trim_Subj(subj); }; });
    for (int kak = 0; kak < 2; ++kak) {
      for (int res = 0; res < 2; ++res) {
        work.add(name + ": Del_Subj_Opt SBJ_KAK=" + std::to_string(kak) + " SBJ_RES=" + std::to_string(res),
                 [&u, kak, res](std::size_t n) {
                   return [subj = Repeat(u.unit, n), kak, res]() mutable { Del_Subj_Opt(subj, kak, res); };
                 });
      }
    }
  }
  work.expect_linear();
}

// A page and a menu entry whose every value is one long text.
struct LongValues {
  LongValues(std::string_view unit, std::size_t size)
      : text(Repeat(unit, size)), sender(text + " <a@b>"), f{"2004-01-05 10:15:00", text, sender, text, text,
                                                             "m0000001.htm",        "0"} {
    page.lines.push_back(text);
    page.subject = text;
    page.sender = sender;
    page.date = "2004-01-05 10:15:00";
    page.attachments = attach_list({""});
  }
  LongValues(const LongValues&) = delete;
  LongValues& operator=(const LongValues&) = delete;

  std::string text, sender;
  PageContent page;
  MessageRecord f;
};

TEST(EscapeWork, PageAndMenuEntryOfLongValuesLinearly) {
  Settings set;
  set.REP_MRK = ">|";
  set.MN_SUBJ = set.MN_DATE = set.MN_HASN = set.MN_ADRS = true;
  set.KB_SUBJ = set.KB_FROM = set.KB_DATE = true;
  set.SBJ_KAK = set.SBJ_RES = false;
  LinearWork work;
  for (const char* unit : {">", "-->", "\x88\x9F>"}) {
    SCOPED_TRACE(unit);
    const LongValues v(unit, 1000);
    EXPECT_GT(render_page(set, v.page).size(), 3 * v.text.size());
    std::string line;
    menu_entry(line, v.f, 3, set);
    const std::size_t comment = line.find(menu_comment::kStart);
    ASSERT_NE(comment, std::string::npos);
    EXPECT_EQ(line.find("-->", comment), line.size() - 7) << "only the comment's own end";

    const std::string name = unit;
    work.add(name + ": render_page", [unit, &set](std::size_t n) {
      return [v = std::make_shared<LongValues>(unit, n), &set] { render_page(set, v->page); };
    });
    work.add(name + ": menu_entry", [unit, &set](std::size_t n) {
      return [v = std::make_shared<LongValues>(unit, n), &set] {
        std::string line;
        menu_entry(line, v->f, 3, set);
      };
    });
  }
  work.expect_linear();
}

}  // namespace

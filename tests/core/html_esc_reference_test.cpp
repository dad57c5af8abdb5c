// Html_Esc against a plain reference that escapes a byte at a time. The
// function searches for the markup bytes eight at a time and copies the runs
// between them; the bytes must be the same whatever the text holds.
#include "support/html_esc_reference.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

#include "core/common_text.h"

namespace {

TEST(HtmlEscReference, NamedCases) {
  const struct {
    const char* name;
    std::string in;
  } rows[] = {
      {"empty", ""},
      {"eight clean bytes then markup", "abcdefgh<"},
      {"markup in every place of a word", "<bcdefgh a>cdefgh ab&defgh abcdefg>"},
      {"bytes next to the markup bytes", "=;?%'() ,.<>&|~"},
      {"&# at the end", "text &#"},
      {"& at the end", "text &"},
      {"reference of eight digits kept, of nine escaped", "&#12345678; &#123456789;"},
      {"reference at the end without ;", "&#12"},
      {"double-byte characters around markup", "\x95\x5C\x83\x7C<\x82\xA0&\x81"},
      {"high bytes only", "\x80\xBC\xBE\xA6\xFC\xFD\xFE\xFF"},
      {"long clean text", std::string(100, 'x') + "&" + std::string(17, 'y')},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Html_Esc(r.in), Html_Esc_Reference(r.in));
  }
}

TEST(HtmlEscReference, SeededRandomText) {
  static const std::string_view kPieces[] = {"<",    ">",        "&",    "&#",    "#",        ";",
                                             "7",    "12345678", "a",    " ",     "\x95\x5C", "\x81",
                                             "\xBC", "\xBE",     "\xA6", "&#38;", "&#248;",   "abcdefgh"};
  std::mt19937 rng(20261208);
  for (int round = 0; round < 4000; ++round) {
    std::string in;
    const int len = static_cast<int>(rng() % 30);
    for (int k = 0; k < len; ++k) in += kPieces[rng() % std::size(kPieces)];
    SCOPED_TRACE(::testing::PrintToString(in));
    std::string appended = "keep:";
    html_esc_to(appended, in);
    ASSERT_EQ(appended, "keep:" + Html_Esc_Reference(in));
  }
}

}  // namespace

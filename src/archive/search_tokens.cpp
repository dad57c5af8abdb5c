#include "archive/search_tokens.h"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/uniset.h>
#include <unicode/unistr.h>
#include <unicode/uscript.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "codec/charsets.h"
#include "codec/cp932.h"
#include "codec/sjis_text.h"
#include "codec/utf8_out.h"

namespace {

enum class Kind { japanese, word, mark, line_break, other };

bool ascii_word(unsigned char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The class of a letter, digit, mark or other character by its general
// category.
Kind kind_of_category(int8_t category) {
  switch (category) {
    case U_UPPERCASE_LETTER:
    case U_LOWERCASE_LETTER:
    case U_TITLECASE_LETTER:
    case U_MODIFIER_LETTER:
    case U_OTHER_LETTER:
    case U_DECIMAL_DIGIT_NUMBER:
    case U_LETTER_NUMBER:
    case U_OTHER_NUMBER:
      return Kind::word;
    case U_NON_SPACING_MARK:
    case U_ENCLOSING_MARK:
    case U_COMBINING_SPACING_MARK:
      return Kind::mark;
    default:
      return Kind::other;
  }
}

bool japanese_script(UScriptCode script) {
  return script == USCRIPT_HAN || script == USCRIPT_HIRAGANA || script == USCRIPT_KATAKANA;
}

// The four marks that belong to Japanese words although their script is
// Common.
constexpr UChar32 kJapaneseMarks[] = {0x3005, 0x3006, 0x30F6, 0x30FC};

// The class of a character of normalised, lower-cased text. "Japanese" goes
// by the Script property (not Script_Extensions), as the page's regular
// expression does, and takes in kJapaneseMarks.
Kind kind_by_properties(UChar32 c) {
  if (c == '\n' || c == '\r') return Kind::line_break;
  if (c < 0x80) return ascii_word(static_cast<unsigned char>(c)) ? Kind::word : Kind::other;
  if (std::find(std::begin(kJapaneseMarks), std::end(kJapaneseMarks), c) != std::end(kJapaneseMarks))
    return Kind::japanese;
  UErrorCode err = U_ZERO_ERROR;
  const UScriptCode script = uscript_getScript(c, &err);
  if (U_SUCCESS(err) && japanese_script(script)) return Kind::japanese;
  return kind_of_category(u_charType(c));
}

using KindTable = std::array<std::uint8_t, 0x10000>;

// Calls f with every character of set in the plane.
template <typename F>
void for_each_in_plane(const icu::UnicodeSet& set, F f) {
  for (int32_t r = 0; r < set.getRangeCount(); ++r)
    for (UChar32 c = set.getRangeStart(r); c <= set.getRangeEnd(r) && c < 0x10000; ++c) f(static_cast<std::size_t>(c));
}

// The classes of the Basic Multilingual Plane, looked up once; bit 0x80
// marks a character that lower-casing changes. Made as kind_by_properties
// says, a range of equal properties at a time: first by general category,
// then the Japanese scripts and marks, then ASCII.
const KindTable& bmp_kinds() {
  static const auto table = [] {
    auto t = std::make_unique<KindTable>();
    u_enumCharTypes(
        [](const void* context, UChar32 start, UChar32 limit, UCharCategory type) -> UBool {
          auto& kinds = *static_cast<KindTable*>(const_cast<void*>(context));
          const auto kind = static_cast<std::uint8_t>(kind_of_category(static_cast<int8_t>(type)));
          for (UChar32 c = start; c < limit && c < 0x10000; ++c) kinds[static_cast<std::size_t>(c)] = kind;
          return limit < 0x10000;
        },
        t.get());
    UErrorCode err = U_ZERO_ERROR;
    for (const UScriptCode script : {USCRIPT_HAN, USCRIPT_HIRAGANA, USCRIPT_KATAKANA}) {
      icu::UnicodeSet set;
      set.applyIntPropertyValue(UCHAR_SCRIPT, script, err);
      for_each_in_plane(set, [&t](std::size_t c) { (*t)[c] = static_cast<std::uint8_t>(Kind::japanese); });
    }
    for (const UChar32 c : kJapaneseMarks)
      (*t)[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(Kind::japanese);
    for (UChar32 c = 0; c < 0x80; ++c)
      (*t)[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(kind_by_properties(c));
    icu::UnicodeSet lowered;
    lowered.applyIntPropertyValue(UCHAR_CHANGES_WHEN_LOWERCASED, 1, err);
    for_each_in_plane(lowered, [&t](std::size_t c) { (*t)[c] |= 0x80; });
    if (U_FAILURE(err)) throw std::runtime_error(std::string("character properties: ") + u_errorName(err));
    return t;
  }();
  return *table;
}

Kind kind_of(UChar32 c) { return c < 0x10000 ? static_cast<Kind>(bmp_kinds()[c] & 0x7F) : kind_by_properties(c); }

// Code page 932 to UTF-16 by a table made once from the codec's own
// conversion; false at a byte that forms no character, where the caller
// takes the codec's way (which says how such bytes read).
const std::array<char16_t, 0x10000>& pair_chars() {
  static const auto table = [] {
    auto t = std::make_unique<std::array<char16_t, 0x10000>>();
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead)
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        const char32_t c = cp932::pair_char(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
        if (c != 0 && c < 0x10000 && !U16_IS_SURROGATE(c)) (*t)[lead << 8 | trail] = static_cast<char16_t>(c);
      }
    return t;
  }();
  return *table;
}

bool sjis_to_utf16(std::string_view sjis, std::u16string& out) {
  const std::array<char16_t, 0x10000>& pairs = pair_chars();
  out.clear();
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    const auto b = static_cast<unsigned char>(sjis[i]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
    } else if (b >= 0xA1 && b <= 0xDF) {
      out += static_cast<char16_t>(0xFF61 + (b - 0xA1));
    } else {
      if (i + 1 >= sjis.size()) return false;
      const char16_t c = pairs[b << 8 | static_cast<unsigned char>(sjis[i + 1])];
      if (c == 0) return false;
      out += c;
      ++i;
    }
  }
  return true;
}

// The normal form of each character of code page 932, as an entry: a tag in
// the top byte and a code point (or an index into multi) in the low 21 bits;
// an entry of one code point has its class (Kind) in the three bits between.
constexpr std::uint32_t kTagMask = 0xFF000000u;
constexpr std::uint32_t kPointMask = 0x1FFFFFu;
constexpr unsigned kKindShift = 21;
constexpr std::uint32_t kOne = 1u << 24;        // one code point
constexpr std::uint32_t kMany = 2u << 24;       // the code points multi[index]
constexpr std::uint32_t kCompose = 3u << 24;    // a mark, composed with the one before if it can
constexpr std::uint32_t kAmpersand = 4u << 24;  // "&", where a reference may start
// 0: the tables cannot say (no character, or ICU's way needed)

struct NormalTables {
  const icu::Normalizer2* nfkc = nullptr;
  std::array<std::uint32_t, 0x10000> pairs{};
  std::array<std::uint32_t, 0x100> bytes{};
  std::vector<std::u32string> multi;
};

// Code points written without a test per point: room is made for what a
// step may add before it adds it.
class PointBuffer {
 public:
  void clear() { size_ = 0; }
  void make_room(std::size_t n) {
    if (size_ + n > cap_) grow(size_ + n);
  }
  void put(char32_t c) { data_[size_++] = c; }  // after make_room
  void put(std::u32string_view points) {
    make_room(points.size());
    std::copy(points.begin(), points.end(), data_.get() + size_);
    size_ += points.size();
  }
  bool empty() const { return size_ == 0; }
  char32_t& back() { return data_[size_ - 1]; }
  std::u32string_view view() const { return {data_.get(), size_}; }

 private:
  void grow(std::size_t need) {
    const std::size_t cap = std::max({need, 2 * cap_, std::size_t{256}});
    auto data = std::make_unique_for_overwrite<char32_t[]>(cap);
    std::copy(data_.get(), data_.get() + size_, data.get());
    data_ = std::move(data);
    cap_ = cap;
  }
  std::unique_ptr<char32_t[]> data_;
  std::size_t size_ = 0, cap_ = 0;
};

std::u32string code_points(const icu::UnicodeString& s) {
  std::u32string out;
  for (int32_t i = 0; i < s.length(); i = s.moveIndex32(i, 1)) out += static_cast<char32_t>(s.char32At(i));
  return out;
}

// The entry of c; the code points of an entry of several go to many, or,
// without it, the entry is 0.
std::uint32_t char_entry(const icu::Normalizer2& nfkc, UChar32 c, std::u32string* many) {
  // Most characters: no mapping, no neighbour to join, no lower case.
  if (nfkc.isInert(c) && !u_hasBinaryProperty(c, UCHAR_CHANGES_WHEN_LOWERCASED))
    return kOne | static_cast<std::uint32_t>(c);
  UErrorCode err = U_ZERO_ERROR;
  icu::UnicodeString normal;
  nfkc.normalize(icu::UnicodeString(c), normal, err);
  if (U_FAILURE(err)) return 0;
  const std::u32string points = code_points(normal);
  if (!nfkc.hasBoundaryBefore(c)) {
    // A combining mark (the half-width voiced sound marks): it may join the
    // character before it, which the tables cannot know.
    const bool mark = points.size() == 1 && u_getCombiningClass(static_cast<UChar32>(points[0])) != 0 &&
                      !u_hasBinaryProperty(static_cast<UChar32>(points[0]), UCHAR_CHANGES_WHEN_LOWERCASED);
    return mark ? kCompose | points[0] : 0;
  }
  // The capital sigma lower-cases by its neighbours.
  if (points.find(U'\u03A3') != std::u32string::npos) return 0;
  const std::u32string lower = code_points(normal.toLower(icu::Locale::getRoot()));
  if (lower.size() == 1) return kOne | lower[0];
  if (many == nullptr) return 0;
  *many = lower;
  return kMany;
}

std::uint32_t entry_for(NormalTables& t, UChar32 c) {
  std::u32string many;
  const std::uint32_t e = char_entry(*t.nfkc, c, &many);
  if (e != kMany) return e;
  t.multi.push_back(many);
  return kMany | static_cast<std::uint32_t>(t.multi.size() - 1);
}

// An entry of one code point with that code point's class; any other as it is.
std::uint32_t with_class(std::uint32_t e) {
  if ((e & kTagMask) != kOne) return e;
  return e | static_cast<std::uint32_t>(kind_of(static_cast<UChar32>(e & kPointMask))) << kKindShift;
}

std::uint32_t classed_entry_for(NormalTables& t, UChar32 c) { return with_class(entry_for(t, c)); }

const NormalTables& normal_tables() {
  static const auto tables = [] {
    auto t = std::make_unique<NormalTables>();
    UErrorCode err = U_ZERO_ERROR;
    t->nfkc = icu::Normalizer2::getNFKCInstance(err);
    if (U_FAILURE(err)) throw std::runtime_error(std::string("NFKC: ") + u_errorName(err));
    for (unsigned b = 0; b < 0x80; ++b) t->bytes[b] = classed_entry_for(*t, static_cast<UChar32>(b));
    t->bytes['&'] = kAmpersand | '&';
    for (unsigned b = 0xA1; b <= 0xDF; ++b)
      t->bytes[b] = classed_entry_for(*t, static_cast<UChar32>(0xFF61 + (b - 0xA1)));
    const std::array<char16_t, 0x10000>& pairs = pair_chars();
    for (std::size_t k = 0; k < pairs.size(); ++k)
      if (pairs[k] != 0) t->pairs[k] = classed_entry_for(*t, pairs[k]);
    return t;
  }();
  return *tables;
}

// The entry of the character at i, which i then passes; 0 for a lead byte
// that ends the text.
inline std::uint32_t sjis_entry(const NormalTables& t, std::string_view s, std::size_t& i) {
  const auto b = static_cast<unsigned char>(s[i++]);
  if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) return t.bytes[b];
  if (i >= s.size()) return 0;
  return t.pairs[b << 8 | static_cast<unsigned char>(s[i++])];
}

Kind kind_of_entry(std::uint32_t e) { return static_cast<Kind>((e >> kKindShift) & 7); }

// After the "&" before i: the entry of the character of a reference
// "&#N;" (as codec/charsets.h writes it), i then past it; else that of "&".
[[gnu::noinline]] std::uint32_t after_ampersand(const NormalTables& t, std::string_view s, std::size_t& i) {
  const char32_t cp = sjis_reference_at(s, i - 1, i);
  return with_class(cp == 0 ? kOne | '&' : char_entry(*t.nfkc, static_cast<UChar32>(cp), nullptr));
}

// The entry of the character at i, reading references, which i then passes.
inline std::uint32_t text_entry(const NormalTables& t, std::string_view s, std::size_t& i) {
  const std::uint32_t e = sjis_entry(t, s, i);
  return (e & kTagMask) == kAmpersand ? after_ampersand(t, s, i) : e;
}

// Where the run of Japanese text goes on after the line break at i: the
// position of the Japanese character after one line break, or 0.
std::size_t joined_after_break(std::u32string_view s, std::size_t i) {
  std::size_t j = i + 1;
  if (s[i] == '\r' && j < s.size() && s[j] == '\n') ++j;
  return j < s.size() && kind_of(static_cast<UChar32>(s[j])) == Kind::japanese ? j : 0;
}

// The runs of text in the making: the word (UTF-8) or the run of Japanese
// characters now open; at most one of them is open. Each goes to the sink
// once it ends.
struct Runs {
  SearchTokenSink& sink;
  std::string& word;
  std::u32string& run;
  bool every_character;
  std::size_t handed = 0;  // words and runs handed to the sink

  void japanese(char32_t c) {
    end_word();
    run += c;
  }
  // Asked at every character: the test stays inline, the handing over not.
  void end_word() {
    if (!word.empty()) hand_word();
  }
  void end_japanese() {
    if (!run.empty()) hand_run();
  }
  [[gnu::noinline]] void hand_word() {
    sink.take(word);
    word.clear();
    ++handed;
  }
  [[gnu::noinline]] void hand_run() {
    sink.take_run(run, every_character);
    run.clear();
    ++handed;
  }
  void end_both() {
    end_word();
    end_japanese();
  }
  // A character of its class; a line break here ends both runs.
  void add(Kind kind, char32_t c) {
    switch (kind) {
      case Kind::japanese:
        japanese(c);
        break;
      case Kind::word:
        end_japanese();
        put_utf8(word, c);
        break;
      case Kind::mark:
        if (word.empty()) end_japanese();
        if (!word.empty()) put_utf8(word, c);
        break;
      case Kind::line_break:
      case Kind::other:
        end_both();
        break;
    }
  }
};

// The tokens of normalised, lower-cased text.
void split(std::u32string_view s, Runs& runs) {
  const std::array<std::uint8_t, 0x10000>& kinds = bmp_kinds();
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char32_t c = s[i];
    const Kind kind = c < 0x10000 ? static_cast<Kind>(kinds[c] & 0x7F) : kind_by_properties(static_cast<UChar32>(c));
    if (kind == Kind::line_break && !runs.run.empty()) {
      if (const std::size_t j = joined_after_break(s, i); j > 0) {
        i = j - 1;  // the loop steps on to the character after the break
        continue;
      }
    }
    runs.add(kind, c);
  }
  runs.end_both();
}

// ASCII text is its own NFKC form and lower-cases letter by letter.
void add_ascii(std::string_view text, std::string& word, SearchTokenSink& sink) {
  word.clear();
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (ascii_word(c)) {
      word += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    } else if (!word.empty()) {
      sink.take(word);
      word.clear();
    }
  }
  if (!word.empty()) sink.take(word);
  word.clear();
}

struct VectorSink final : SearchTokenSink {
  explicit VectorSink(std::vector<std::string>& o) : out(o) {}
  void take(std::string_view token) override { out.emplace_back(token); }
  std::vector<std::string>& out;
};

// Adds the combining mark c to normalised text: composed with the starter
// before it where the two have a composition, else after it. After another
// mark of the same class it is blocked from the starter and stays where it
// is; after a mark of another class (the marks would be reordered, or c could
// reach past it) the tables cannot say.
bool compose(const icu::Normalizer2& nfkc, PointBuffer& out, char32_t c) {
  const std::uint8_t before = out.empty() ? 0 : u_getCombiningClass(static_cast<UChar32>(out.back()));
  if (before != 0) {
    if (before != u_getCombiningClass(static_cast<UChar32>(c))) return false;
  } else if (!out.empty()) {
    const UChar32 both = nfkc.composePair(static_cast<UChar32>(out.back()), static_cast<UChar32>(c));
    if (both >= 0) {
      out.back() = static_cast<char32_t>(both);
      return true;
    }
  }
  out.put(c);
  return true;
}

// sjis_normal_form into out. Each byte gives at most one code point but
// where a character stands for several, so room for the rest of the text
// is made at the start and again after each such character.
bool normal_form_into(std::string_view sjis, PointBuffer& out) {
  const NormalTables& t = normal_tables();
  out.clear();
  out.make_room(sjis.size());
  for (std::size_t i = 0; i < sjis.size();) {
    const std::uint32_t e = text_entry(t, sjis, i);
    const char32_t c = e & kPointMask;
    switch (e & kTagMask) {
      case kOne:
        out.put(c);
        break;
      case kMany:
        out.put(t.multi[c]);
        out.make_room(sjis.size() - i);
        break;
      case kCompose:
        if (!compose(*t.nfkc, out, c)) return false;
        break;
      default:
        return false;
    }
  }
  return true;
}

// Appends the ASCII letters and digits from at on to word, lower-cased
// (their normal form); where they end.
std::size_t add_ascii_word(std::string_view s, std::size_t at, std::string& word) {
  std::size_t end = at;
  while (end < s.size() && ascii_word(static_cast<unsigned char>(s[end]))) ++end;
  const std::size_t from = word.size();
  word.resize(from + (end - at));
  char* w = word.data() + from;
  for (std::size_t k = at; k < end; ++k) {
    const auto b = static_cast<unsigned char>(s[k]);
    *w++ = static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
  }
  return end;
}

// The tokens of Shift_JIS text in one pass, each character's normal form
// and class read from its entry, as split() would find them in the text's
// normal form. False at the first character whose entry is not one code
// point (the tables' normal form, or ICU, must then read the text from its
// start), and at a line break inside a Japanese run that such a character
// follows; the words and runs that ended before it are handed over.
bool split_sjis(std::string_view sjis, Runs& runs) {
  const NormalTables& t = normal_tables();
  for (std::size_t i = 0; i < sjis.size();) {
    const std::size_t at = i;
    const std::uint32_t e = text_entry(t, sjis, i);
    if ((e & kTagMask) != kOne) return false;
    const char32_t c = e & kPointMask;
    const Kind kind = kind_of_entry(e);
    if (kind == Kind::word && i == at + 1 && c < 0x80) {  // an ASCII letter or digit
      runs.end_japanese();
      i = add_ascii_word(sjis, at, runs.word);
      continue;
    }
    if (kind == Kind::line_break && !runs.run.empty()) {
      std::size_t j = i;
      if (c == '\r' && j < sjis.size() && sjis[j] == '\n') ++j;
      if (j < sjis.size()) {
        std::size_t k = j;
        const std::uint32_t next = text_entry(t, sjis, k);
        if ((next & kTagMask) != kOne) return false;
        if (kind_of_entry(next) == Kind::japanese) {
          i = j;
          continue;
        }
      }
    }
    runs.add(kind, c);
  }
  runs.end_both();
  return true;
}

// Passes on what a sink is handed but the first skip words and runs.
struct SkippingSink final : SearchTokenSink {
  SkippingSink(SearchTokenSink& s, std::size_t n) : to(s), skip(n) {}
  void take(std::string_view token) override {
    if (skip > 0)
      --skip;
    else
      to.take(token);
  }
  void take_run(std::u32string_view run, bool every_character) override {
    if (skip > 0)
      --skip;
    else
      to.take_run(run, every_character);
  }
  SearchTokenSink& to;
  std::size_t skip;
};

}  // namespace

void SearchTokenSink::take_run(std::u32string_view run, bool every_character) {
  if (run.size() == 1) return take_japanese(run[0], 0);
  for (std::size_t i = 1; i < run.size(); ++i) {
    take_japanese(run[i - 1], run[i]);
    if (!every_character) continue;
    if (i == 1) take_japanese(run[0], 0);
    take_japanese(run[i], 0);
  }
}

void SearchTokenSink::take_japanese(char32_t first, char32_t second) {
  char buf[8];
  std::size_t n = put_utf8(buf, first);
  if (second != 0) n += put_utf8(buf + n, second);
  take(std::string_view(buf, n));
}

char search_char_class(char32_t c) {
  const auto cp = static_cast<UChar32>(c);
  const std::uint8_t entry =
      c < 0x10000 ? bmp_kinds()[c]
                  : static_cast<std::uint8_t>(static_cast<unsigned>(kind_by_properties(cp)) |
                                              (u_hasBinaryProperty(cp, UCHAR_CHANGES_WHEN_LOWERCASED) ? 0x80 : 0));
  static constexpr char kNames[] = "jwmb JWMB_";
  return kNames[(entry & 0x7F) + (entry & 0x80 ? 5 : 0)];
}

bool sjis_normal_form(std::string_view sjis, std::u32string& out) {
  PointBuffer points;
  if (!normal_form_into(sjis, points)) return false;
  out.assign(points.view());
  return true;
}

struct SearchTokeniser::Buffers {
  const icu::Normalizer2* nfkc = nullptr;
  icu::UnicodeString text, normal;
  std::u16string utf16;
  std::u32string points, run;
  PointBuffer normal_points;  // the normal form of Shift_JIS text by the tables
  std::string word;
};

SearchTokeniser::SearchTokeniser(bool every_japanese_character)
    : buf_(std::make_unique<Buffers>()), every_japanese_character_(every_japanese_character) {
  UErrorCode err = U_ZERO_ERROR;
  buf_->nfkc = icu::Normalizer2::getNFKCInstance(err);
  if (U_FAILURE(err)) throw std::runtime_error(std::string("NFKC: ") + u_errorName(err));
}

SearchTokeniser::~SearchTokeniser() = default;

void SearchTokeniser::add_sjis(std::string_view sjis, SearchTokenSink& sink) {
  // A character that code page 932 lacks stands as its reference, which
  // the page shows as the character: the text is found by it. ("&" is
  // never a byte of a double-byte character.)
  const bool references = sjis.find("&#") != std::string_view::npos;
  if (!references && sjis::is_ascii(sjis)) return add_ascii(sjis, buf_->word, sink);
  buf_->word.clear();
  buf_->run.clear();
  Runs quick{sink, buf_->word, buf_->run, every_japanese_character_};
  if (split_sjis(sjis, quick)) return;
  // Read from the start another way; what the quick pass handed over is
  // handed over again, alike, and skipped. What it left open is read anew.
  buf_->word.clear();
  buf_->run.clear();
  SkippingSink rest(sink, quick.handed);
  add_sjis_slowly(sjis, rest);
}

void SearchTokeniser::add_sjis_slowly(std::string_view sjis, SearchTokenSink& sink) {
  if (normal_form_into(sjis, buf_->normal_points)) {
    buf_->word.clear();
    buf_->run.clear();
    Runs runs{sink, buf_->word, buf_->run, every_japanese_character_};
    return split(buf_->normal_points.view(), runs);
  }
  if (sjis.find("&#") != std::string_view::npos) return add_utf8(sjis_refs_to_utf8(sjis), sink);
  if (!sjis_to_utf16(sjis, buf_->utf16)) return add_utf8(cp932::to_utf8(sjis), sink);
  buf_->text.setTo(buf_->utf16.data(), static_cast<int32_t>(buf_->utf16.size()));
  add_icu(sink);
}

void SearchTokeniser::add_utf8(std::string_view utf8, SearchTokenSink& sink) {
  if (sjis::is_ascii(utf8)) return add_ascii(utf8, buf_->word, sink);
  buf_->text = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
  add_icu(sink);
}

void SearchTokeniser::add_sjis(std::string_view sjis, std::vector<std::string>& out) {
  VectorSink sink(out);
  add_sjis(sjis, sink);
}

void SearchTokeniser::add_utf8(std::string_view utf8, std::vector<std::string>& out) {
  VectorSink sink(out);
  add_utf8(utf8, sink);
}

// Normalises buf_->text by ICU, unless it is in normal form already (as most
// text is), and splits it.
void SearchTokeniser::add_icu(SearchTokenSink& sink) {
  const icu::UnicodeString& text = buf_->text;
  UErrorCode err = U_ZERO_ERROR;
  const bool normal = buf_->nfkc->spanQuickCheckYes(text, err) == text.length();
  if (U_FAILURE(err)) throw std::runtime_error(std::string("NFKC: ") + u_errorName(err));
  bool lower = true;
  for (int32_t i = 0; i < text.length() && lower; ++i) {
    const char16_t c = text.charAt(i);
    lower = U16_IS_SURROGATE(c) ? !u_hasBinaryProperty(text.char32At(i), UCHAR_CHANGES_WHEN_LOWERCASED)
                                : !(bmp_kinds()[c] & 0x80);
  }
  const icu::UnicodeString* done = &text;
  if (!normal) {
    buf_->nfkc->normalize(text, buf_->normal, err);
    if (U_FAILURE(err)) throw std::runtime_error(std::string("NFKC: ") + u_errorName(err));
    done = &buf_->normal.toLower(icu::Locale::getRoot());
  } else if (!lower) {
    buf_->normal = text;
    done = &buf_->normal.toLower(icu::Locale::getRoot());
  }
  buf_->points.clear();
  for (int32_t i = 0; i < done->length(); i = done->moveIndex32(i, 1))
    buf_->points += static_cast<char32_t>(done->char32At(i));
  buf_->word.clear();
  Runs runs{sink, buf_->word, buf_->run, every_japanese_character_};
  split(buf_->points, runs);
}

std::vector<std::string> search_tokens(std::string_view utf8) {
  static thread_local SearchTokeniser tokeniser;
  std::vector<std::string> out;
  tokeniser.add_utf8(utf8, out);
  return out;
}

#include "mail/uu_blocks.h"

#include <algorithm>
#include <bit>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool is_octal(char c) { return c >= '0' && c <= '7'; }

// The name of a "begin" line, or nothing when the line is none.
bool begin_line(std::string_view line, std::string& name) {
  if (line.substr(0, 6) != "begin ") return false;
  std::size_t k = 6;
  std::size_t digits = 0;
  while (k < line.size() && is_octal(line[k])) ++k, ++digits;
  if (digits < 3 || digits > 4 || k >= line.size() || line[k] != ' ') return false;
  std::string_view rest = line.substr(k + 1);
  while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r')) rest.remove_suffix(1);
  if (rest.empty()) return false;
  name.assign(rest);
  return true;
}

// The line of text from begin to end (past its LF), without its line end.
std::string_view line_at(std::string_view text, std::size_t begin, std::size_t end) {
  std::string_view line = text.substr(begin, end - begin);
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// The characters a data line of n bytes needs after its length character.
std::size_t needed_chars(int n) { return (static_cast<std::size_t>(n) + 2) / 3 * 4; }

// The byte count of a data line, or -1 when the line is no data line: the
// characters its count needs must all be in the uuencode range. A writer
// may have dropped trailing blanks, so a shorter line is taken. After the
// characters it needs a line may hold up to two more of the range (a
// checksum character) and then blanks and TABs, which are no data; a
// longer tail (two data lines run together) makes it no data line.
int data_count(std::string_view line) {
  auto in_range = [](char c) { return c >= ' ' && c <= '`'; };
  if (line.empty()) return -1;
  const int n = line[0] == '`' ? 0 : static_cast<unsigned char>(line[0]) - 32;
  if (n < 0 || n > 64) return -1;
  const std::size_t data_end = std::min(line.size(), 1 + needed_chars(n));
  for (char c : line.substr(0, data_end))
    if (!in_range(c)) return -1;
  std::string_view tail = line.substr(data_end);
  while (!tail.empty() && (tail.back() == ' ' || tail.back() == '\t')) tail.remove_suffix(1);
  if (tail.size() > 2) return -1;
  for (char c : tail)
    if (!in_range(c)) return -1;
  return n;
}

// The bytes of a data line: at most its count, and never more than the
// characters it holds stand for (k characters hold 6k bits: k * 3 / 4 whole
// bytes); missing characters are not made up as zero bytes. data_count has
// checked that every character read here is in the uuencode range, so each
// is one byte and stands for its code minus 32 (the grave accent for 0).
void append_data(std::string_view line, int n, std::string& out) {
  const std::string_view chars = line.substr(1, needed_chars(n));
  const std::size_t want = std::min(chars.size() * 3 / 4, static_cast<std::size_t>(n));
  const std::size_t start = out.size();
  out.resize(start + want + 2);  // whole groups of three, cut back below
  char* w = out.data() + start;
  auto value = [&chars](std::size_t k) {
    return k < chars.size() ? (static_cast<unsigned>(static_cast<unsigned char>(chars[k])) - 32) & 63 : 0u;
  };
  for (std::size_t i = 0, got = 0; got < want; i += 4, got += 3) {
    const unsigned v0 = value(i), v1 = value(i + 1), v2 = value(i + 2), v3 = value(i + 3);
    w[got] = static_cast<char>(v0 << 2 | v1 >> 4);
    w[got + 1] = static_cast<char>((v1 & 15) << 4 | v2 >> 2);
    w[got + 2] = static_cast<char>((v2 & 3) << 6 | v3);
  }
  out.resize(start + want);
}

// The closing line: "end", blanks after it allowed.
bool end_line(std::string_view line) {
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
  return line == "end";
}

// The line with every "&#38;" read back as "&".
std::string without_refs(std::string_view line) {
  std::string out;
  out.reserve(line.size());
  for (std::size_t i = 0; i < line.size();) {
    if (line.substr(i, 5) == "&#38;") {
      out += '&';
      i += 5;
    } else {
      out += line[i++];
    }
  }
  return out;
}

enum class UuState { Data, Ended };

// The lines after a "begin" line, one at a time.
struct BlockReader {
  UuState state = UuState::Data;
  std::string data;
  bool any = false;

  // Takes one line; false when the line is not part of the block. In text
  // converted by to_sjis (refs) a "&" before "#" stands written "&#38;": it
  // is read back, as the source line held it.
  bool take(std::string_view line, bool refs) {
    if (state == UuState::Ended) return false;
    std::string unescaped;
    if (refs && line.find("&#38;") != std::string_view::npos) line = unescaped = without_refs(line);
    if (end_line(line)) {
      state = UuState::Ended;
      any = true;
      return true;
    }
    const int n = data_count(line);
    if (n < 0) return false;
    any = true;
    if (n == 0) return true;  // the count-0 line; "end" may follow
    append_data(line, n, data);
    return true;
  }
};

bool begins_block(std::string_view text, std::size_t at) { return text.substr(at, 6) == "begin "; }

// The start of the next line at or after from that starts "begin ", or npos:
// a line start is the text's start or a byte after an LF, so the search is
// for an LF followed by "b", sixteen places at a time.
std::size_t next_begin(std::string_view text, std::size_t from) {
  if (from < text.size() && (from == 0 || text[from - 1] == '\n') && begins_block(text, from)) return from;
  const char* const p = text.data();
  const std::size_t n = text.size();
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n'), b = _mm_set1_epi8('b');
  for (; i + 17 <= n; i += 16) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
    auto hits =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, lf), _mm_cmpeq_epi8(next, b))));
    for (; hits != 0; hits &= hits - 1) {
      const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(hits)) + 1;
      if (begins_block(text, at)) return at;
    }
  }
#endif
  for (; i + 1 < n; ++i)
    if (p[i] == '\n' && p[i + 1] == 'b' && begins_block(text, i + 1)) return i + 1;
  return std::string_view::npos;
}

std::size_t line_end(std::string_view text, std::size_t from) {
  const std::size_t end = text.find('\n', from);
  return end == std::string_view::npos ? text.size() : end + 1;
}

// The text between the blocks is copied a stretch at a time; only the lines
// that start "begin " are looked at.
std::vector<UuFile> take_blocks(std::string& text, bool refs) {
  std::vector<UuFile> files;
  std::string kept;
  std::size_t kept_to = 0;  // text before this is in kept, or dropped as a block
  for (std::size_t i = next_begin(text, 0); i != std::string_view::npos;) {
    const std::size_t end = line_end(text, i);
    std::string name;
    if (!begin_line(line_at(text, i, end), name)) {
      i = next_begin(text, end);
      continue;
    }
    BlockReader block;
    std::size_t j = end;
    while (j < text.size()) {
      const std::size_t e = line_end(text, j);
      if (!block.take(line_at(text, j, e), refs)) break;
      j = e;
    }
    if (!block.any) {
      i = next_begin(text, end);
      continue;
    }
    if (kept.empty()) kept.reserve(text.size());
    kept.append(text, kept_to, i - kept_to);
    kept_to = j;
    files.push_back({std::move(name), std::move(block.data)});
    i = next_begin(text, j);
  }
  if (files.empty()) return files;
  kept.append(text, kept_to, std::string::npos);
  text.swap(kept);
  return files;
}

}  // namespace

std::vector<UuFile> take_uu_blocks(std::string& text) { return take_blocks(text, true); }

std::string uu_decode_part(const std::string& raw) {
  std::string text = raw;
  std::vector<UuFile> files = take_blocks(text, false);
  if (!files.empty()) return std::move(files.front().data);
  BlockReader block;
  std::size_t i = 0;
  while (i < raw.size()) {
    std::size_t e = raw.find('\n', i);
    e = e == std::string::npos ? raw.size() : e + 1;
    block.take(line_at(raw, i, e), false);
    i = e;
  }
  return std::move(block.data);
}

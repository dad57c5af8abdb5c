// Cutting encoded text into groups of four characters, shared by the Base64
// and uuencode decoders. Characters are Shift_JIS characters: a double-byte
// character is one character of a group.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "codec/sjis_text.h"

namespace codec_detail {

// The first (up to) four characters of a group; size says how many there are.
struct GroupChars {
  std::array<std::string_view, 4> chars{};
  int size = 0;
};

inline GroupChars split_group(std::string_view group) {
  GroupChars g;
  std::size_t pos = 0;
  while (g.size < 4 && pos < group.size()) {
    std::size_t len = sjis::char_len(group, pos);
    g.chars[g.size++] = group.substr(pos, len);
    pos += len;
  }
  return g;
}

// The next (up to) four characters of text from byte offset pos; pos moves past them.
inline std::string_view next_group(std::string_view text, std::size_t& pos) {
  std::size_t start = pos;
  for (int k = 0; k < 4 && pos < text.size(); ++k) pos += sjis::char_len(text, pos);
  return text.substr(start, pos - start);
}

// Group byte count: 3 unless the fourth character is "=", then 2 unless the
// third is "=" too, then 1.
inline int group_byte_count(const GroupChars& g) {
  if (g.size < 4 || g.chars[3] != "=") return 3;
  return g.chars[2] != "=" ? 2 : 1;
}

}  // namespace codec_detail

#include <cstddef>

#include "codec/group_chars.h"
#include "codec/transfer_codings.h"

namespace {

// Six-bit value of one character: its code minus 32, low six bits; a missing
// character is 0. Of a double-byte character only the low bits of its code,
// which are those of its second byte, count.
int uu_value(std::string_view ch) {
  if (ch.empty()) return 0;
  const int code = static_cast<unsigned char>(ch.back());
  return (code - 32) & 63;
}

}  // namespace

GroupBytes UU_Group(std::string_view group) {
  const codec_detail::GroupChars g = codec_detail::split_group(group);
  const int a = uu_value(g.chars[0]), b = uu_value(g.chars[1]);
  const int c = uu_value(g.chars[2]), d = uu_value(g.chars[3]);
  GroupBytes r;
  r.bytes += static_cast<char>((a << 2) | (b >> 4));
  r.bytes += static_cast<char>(((b & 15) << 4) | (c >> 2));
  r.bytes += static_cast<char>(((c & 3) << 6) | d);
  r.count = 3;
  return r;
}

std::string UU_Line(std::string_view line) {
  std::string out;
  out.reserve(line.size() / 4 * 3 + 3);
  for (std::size_t pos = 0; pos < line.size();) {
    const std::string_view group = codec_detail::next_group(line, pos);
    // A short last group of k characters holds 6k bits: k - 1 whole bytes.
    const int chars = codec_detail::split_group(group).size;
    const GroupBytes gb = UU_Group(group);
    out.append(gb.bytes, 0, static_cast<std::size_t>(chars - 1));
  }
  return out;
}

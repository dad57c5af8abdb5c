#include <algorithm>
#include <cstddef>
#include <string_view>

#include "codec/group_chars.h"
#include "codec/jis.h"
#include "codec/sjis_text.h"
#include "codec/transfer_codings.h"

namespace {

constexpr std::string_view kJisWord = "=?ISO-2022-JP?B?";
constexpr std::string_view kSjisWord = "=?SHIFT_JIS?B?";
constexpr std::string_view kWordEnd = "?=";

}  // namespace

std::string Decode_Header(std::string_view text) {
  std::string result;
  std::string word;  // bytes decoded so far in the current word
  bool in_word = false;
  bool jis_seen = false;

  for (std::size_t pos = 0; pos < text.size();) {
    const std::string_view rest = text.substr(pos);
    if (!in_word) {
      if (sjis::starts_with_nocase(rest, kJisWord)) {
        in_word = jis_seen = true;
        word.clear();
        pos += kJisWord.size();
      } else if (sjis::starts_with_nocase(rest, kSjisWord)) {
        in_word = true;
        word.clear();
        pos += kSjisWord.size();
      } else {
        // Nothing opens a word before the next "=", which is never the
        // second byte of a character: the text up to it goes over whole.
        const std::size_t stop = std::min(text.find('=', pos + 1), text.size());
        result.append(text.substr(pos, stop - pos));
        pos = stop;
      }
    } else if (rest.starts_with(kWordEnd)) {
      pos += kWordEnd.size();
      in_word = false;
      result += word;
    } else {
      const GroupBytes gb = B64_Text_Group(codec_detail::next_group(text, pos));
      word.append(gb.bytes, 0, static_cast<std::size_t>(gb.count));
    }
  }
  // A word the text ends inside still gives what it decoded.
  if (in_word) result += word;
  return jis_seen ? Jis_To_Sjis(result) : result;
}

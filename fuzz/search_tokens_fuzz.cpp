// The search index's tokens of Shift_JIS text: the quick way (the normal
// form of each character by table, composed and split in one pass) must give
// exactly what ICU gives for the same text in UTF-8 (its references read as
// their characters, as the page shows them), whatever the bytes. The page
// splits queries the ICU way; a token the quick way spells otherwise is a
// message no query finds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "archive/search_tokens.h"
#include "codec/charsets.h"
#include "fuzz/scratch_dir.h"

namespace {

// Tokens are UTF-8 of at least one character, without the separators.
bool well_formed(std::string_view token) {
  if (token.empty()) return false;
  for (std::size_t i = 0; i < token.size();) {
    const auto b = static_cast<unsigned char>(token[i]);
    if (b == ' ' || b == '\n' || b == '\r' || b == '\t' || b == '\0') return false;
    const std::size_t n = b < 0x80 ? 1 : b >= 0xF0 && b < 0xF5 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
    if (n == 0 || (n > 1 && b >= 0xF5) || i + n > token.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(token[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view sjis(reinterpret_cast<const char*>(data), size);
  const std::string utf8 = sjis_refs_to_utf8(sjis);
  for (const bool every_character : {true, false}) {
    SearchTokeniser quick(every_character), icu(every_character);
    std::vector<std::string> by_table, by_icu;
    quick.add_sjis(sjis, by_table);
    icu.add_utf8(utf8, by_icu);
    FUZZ_CHECK(by_table == by_icu);
    for (const std::string& token : by_table) FUZZ_CHECK(well_formed(token));
  }
  return 0;
}

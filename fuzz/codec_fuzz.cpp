// The decoders of the transfer encodings: encoded words in header text,
// quoted-printable, Base64 and uuencoded lines. The input is one text; every
// decoder reads all of it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/sjis_text.h"
#include "codec/transfer_codings.h"
#include "fuzz/scratch_dir.h"

namespace {

// Whether an ISO-2022-JP word opener (any case) stands anywhere in text: only
// then does Decode_Header pass its result through the JIS conversion.
bool Has_Jis_Opener(std::string_view text) {
  constexpr std::string_view kOpener = "=?iso-2022-jp?b?";
  for (std::size_t i = 0; i + kOpener.size() <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < kOpener.size()) {
      char c = text[i + k];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
      if (c != kOpener[k]) break;
      ++k;
    }
    if (k == kOpener.size()) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::string header = Decode_Header(text);
  if (!Has_Jis_Opener(text)) {
    // Without the JIS pass: text outside words is copied, markers dropped,
    // each group of four characters gives at most three bytes, and the
    // header decoder keeps no zero byte of its own.
    FUZZ_CHECK(header.size() <= text.size());
    if (text.find('\0') == std::string_view::npos) FUZZ_CHECK(header.find('\0') == std::string::npos);
    // Text without any "=" holds no word and comes back as it stands.
    if (text.find('=') == std::string_view::npos) FUZZ_CHECK(header == text);
  }

  QP_Line(text);

  const std::size_t chars = sjis::length(text);
  const std::size_t groups = (chars + 3) / 4;
  const std::string b64 = B64_Line(text);
  FUZZ_CHECK(b64.size() >= groups && b64.size() <= 3 * groups);
  std::string appended = "x";
  B64_Line_Append(text, appended);
  FUZZ_CHECK(appended == "x" + b64);

  // A full group gives three bytes, a last group of k characters k - 1.
  const std::string uu = UU_Line(text);
  const std::size_t tail = chars % 4;
  FUZZ_CHECK(uu.size() == 3 * (chars / 4) + (tail > 0 ? tail - 1 : 0));
  return 0;
}

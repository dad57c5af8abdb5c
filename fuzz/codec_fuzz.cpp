// The decoders of the transfer encodings: encoded words in header text,
// quoted-printable, Base64 and uuencoded lines; and the charset conversion. The input is one text; every
// decoder reads all of it.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "codec/charsets.h"
#include "codec/sjis_text.h"
#include "codec/transfer_codings.h"
#include "fuzz/scratch_dir.h"

namespace {

// Printable ASCII without "=?", ESC or "&#": text in which Decode_Header and
// to_sjis find nothing to convert.
bool Is_Inert(std::string_view text) {
  for (char c : text)
    if (c < 0x20 || c > 0x7E) return false;
  return text.find("=?") == std::string_view::npos && text.find("&#") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  // The header decoder never writes a line break or NUL byte.
  const std::string header = Decode_Header(text);
  FUZZ_CHECK(header.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
  if (Is_Inert(text)) FUZZ_CHECK(header == text);

  // The charset conversion, with a label taken from the text's first byte.
  constexpr std::string_view kLabels[] = {"",       "UTF-8",      "Shift_JIS", "ISO-2022-JP-2",
                                          "EUC-JP", "ISO-8859-1", "UTF-16",    "GB2312"};
  const std::string_view label = kLabels[size > 0 ? data[0] % std::size(kLabels) : 0];
  const std::string sjis = to_sjis(text, label);
  if (Is_Inert(text) && label != "UTF-16") FUZZ_CHECK(sjis == text);

  QP_Line(text);

  const std::size_t chars = sjis::length(text);
  const std::size_t groups = (chars + 3) / 4;
  const std::string b64 = B64_Line(text);
  FUZZ_CHECK(b64.size() >= groups && b64.size() <= 3 * groups);
  std::string appended = "x";
  b64_line_append(text, appended);
  FUZZ_CHECK(appended == "x" + b64);

  // A full group gives three bytes, a last group of k characters k - 1.
  const std::string uu = UU_Line(text);
  const std::size_t tail = chars % 4;
  FUZZ_CHECK(uu.size() == 3 * (chars / 4) + (tail > 0 ? tail - 1 : 0));
  return 0;
}

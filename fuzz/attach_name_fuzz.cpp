// The reduction of attachment names to plain file names, and saving under
// the reduced name. The input is the decoded (Shift_JIS) name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/charsets.h"
#include "codec/cp932.h"
#include "codec/sjis_text.h"
#include "fuzz/scratch_dir.h"
#include "mail/attachments.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ScratchDir scratch;
  const std::string name(reinterpret_cast<const char*>(data), size);

  const std::string plain = plain_attach_name(name);
  FUZZ_CHECK(!plain.empty() && plain != "." && plain != "..");
  FUZZ_CHECK(plain[0] != '.');
  FUZZ_CHECK(plain_attach_name(plain) == plain);
  FUZZ_CHECK(sjis_refs_to_utf8(plain).size() <= 200);
  for (std::size_t i = 0; i < plain.size(); i += sjis::char_len(plain, i)) {
    const unsigned char c = static_cast<unsigned char>(plain[i]);
    if (sjis::char_len(plain, i) == 2) {
      FUZZ_CHECK(cp932::round_trips(std::string_view(plain).substr(i, 2)));
    } else {
      FUZZ_CHECK(c >= 0x20 && c != 0x7F && c != '/' && c != '\\');
    }
  }

  // Saving the same name twice makes two files, both in the folder.
  scratch.clear();
  const std::string folder = scratch.folder("out");
  std::string first = name, second = name;
  Save_Attach(folder, first, "one");
  Save_Attach(folder, second, "two");
  FUZZ_CHECK(first != second);
  const std::vector<std::string> names = scratch.names();
  FUZZ_CHECK(names.size() == 1 && names[0] == "out");
  std::size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    FUZZ_CHECK(e.is_regular_file());
    ++files;
  }
  FUZZ_CHECK(files == 2);
  return 0;
}

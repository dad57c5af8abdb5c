// The message reader on arbitrary bytes: one message, and the same bytes as
// a Unix mbox. Whatever they hold, reading ends, the text holds no line
// break inside a line, and every file has a name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/file_ops.h"
#include "fuzz/scratch_dir.h"
#include "mail/html_text.h"
#include "mail/mime_reader.h"
#include "mail/uu_blocks.h"

namespace {

void Check(const MailMessage& m) {
  for (std::size_t i = 0; i < m.text.size(); ++i) FUZZ_CHECK(m.text[i].find_first_of("\r\n") == std::string_view::npos);
  for (const MailAttachment& a : m.attachments) FUZZ_CHECK(!a.name.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ScratchDir scratch;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Check(Read_Message(bytes));

  const std::string path = scratch / "in.mbox";
  write_file(path, "From fuzz@x Mon Jan  1 00:00:00 2001\n" + std::string(bytes));
  Read_Mbox(path, [](MailMessage& m, std::int64_t) { Check(m); });

  const std::string text = Html_To_Text(bytes);
  FUZZ_CHECK(text.find('\r') == std::string::npos);
  std::string plain(bytes);
  Take_Uu_Blocks(plain);
  FUZZ_CHECK(plain.size() <= size);
  return 0;
}

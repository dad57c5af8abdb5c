// The message reader on arbitrary bytes: one message, and the same bytes as
// a Unix mbox. Whatever they hold, reading ends, the text holds no line
// break inside a line, and every file has a name; a message the plain, the
// mixed or the tree reader takes it reads exactly as GMime does; stored in an mbox,
// a message reads as itself.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/file_write.h"
#include "fuzz/scratch_dir.h"
#include "mail/html_text.h"
#include "mail/mbox_file.h"
#include "mail/mime_reader.h"
#include "mail/mixed_message.h"
#include "mail/plain_message.h"
#include "mail/uu_blocks.h"

namespace {

void Check(const MailMessage& m) {
  for (std::size_t i = 0; i < m.text.size(); ++i) FUZZ_CHECK(m.text[i].find_first_of("\r\n") == std::string_view::npos);
  for (const MailAttachment& a : m.attachments) FUZZ_CHECK(!a.name.empty());
}

bool Same(const MailMessage& a, const MailMessage& b) {
  const MailHeader &x = a.header, &y = b.header;
  if (x.from != y.from || x.subject != y.subject || x.date != y.date || x.message_id != y.message_id ||
      x.in_reply_to != y.in_reply_to || x.references != y.references || x.has_from != y.has_from ||
      x.has_subject != y.has_subject || x.has_date != y.has_date || x.has_message_id != y.has_message_id ||
      x.text_charset != y.text_charset)
    return false;
  if (!(a.text == b.text) || a.attachments.size() != b.attachments.size()) return false;
  for (std::size_t i = 0; i < a.attachments.size(); ++i) {
    const MailAttachment &p = a.attachments[i], &q = b.attachments[i];
    if (p.name != q.name || p.type != q.type || decoded_data(p) != decoded_data(q)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ScratchDir scratch;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Check(read_message(bytes));
  if (std::optional<MailMessage> plain = read_plain_message(bytes))
    FUZZ_CHECK(Same(*plain, read_message_with_gmime(bytes)));
  if (std::optional<MailMessage> mixed = read_mixed_message(bytes))
    FUZZ_CHECK(Same(*mixed, read_message_with_gmime(bytes)));
  if (std::optional<MailMessage> tree = read_mime_tree(bytes)) FUZZ_CHECK(Same(*tree, read_message_with_gmime(bytes)));

  const std::string path = scratch / "in.mbox";
  write_file(path, "From fuzz@x Mon Jan  1 00:00:00 2001\n" + std::string(bytes));
  read_mbox(path, [](MailMessage& m, std::int64_t) { Check(m); });

  // The same message as an mbox writer stores it (its lines ended, an empty
  // line after it) reads as the message itself, broken nesting and all.
  if (bytes.ends_with('\n') && !bytes.starts_with("From ") && bytes.find("\nFrom ") == std::string_view::npos &&
      bytes.find(">From ") == std::string_view::npos) {
    write_file(path, "From fuzz@x Mon Jan  1 00:00:00 2001\n" + std::string(bytes) + "\n");
    int messages = 0;
    read_mbox(path, [&](MailMessage& m, std::int64_t) {
      ++messages;
      FUZZ_CHECK(Same(m, read_message(bytes)));
    });
    FUZZ_CHECK(messages == 1);
  }

  const std::string text = html_to_text(bytes);
  FUZZ_CHECK(text.find('\r') == std::string::npos);
  std::string plain(bytes);
  take_uu_blocks(plain);
  FUZZ_CHECK(plain.size() <= size);
  return 0;
}

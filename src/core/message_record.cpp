#include "core/message_record.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <utility>

#include "codec/sjis_text.h"

namespace {

// TAB, CR and LF are never the second byte of a double-byte character.
bool dropped(char c) { return c == '\t' || c == '\r' || c == '\n'; }

std::size_t kept_size(std::string_view s) {
  std::size_t n = s.size();
  for (char c : s) n -= dropped(c);
  return n;
}

char* put_field(char* out, std::string_view s) {
  for (char c : s)
    if (!dropped(c)) *out++ = c;
  return out;
}

}  // namespace

MessageRecord::MessageRecord(std::string_view date, std::string_view subject, std::string_view sender,
                             std::string_view message_id, std::string_view parent_id, std::string_view page,
                             std::string_view origin) {
  const std::initializer_list<std::string_view> fields = {date, subject, sender, message_id, parent_id, page, origin};
  std::size_t size = kFields - 1;
  for (std::string_view f : fields) size += kept_size(f);
  if (size > 0xffffffffu) throw std::length_error("message record longer than 4 GB");
  text_ = std::make_unique_for_overwrite<char[]>(size);
  size_ = static_cast<std::uint32_t>(size);
  char* out = text_.get();
  int k = 0;
  for (std::string_view f : fields) {
    out = put_field(out, f);
    if (k == kFields - 1) break;
    end_[k++] = static_cast<std::uint32_t>(out - text_.get());
    *out++ = '\t';
  }
}

MessageRecord::MessageRecord(const MessageRecord& o)
    : text_(std::make_unique_for_overwrite<char[]>(o.size_)), size_(o.size_), end_(o.end_) {
  std::copy_n(o.text_.get(), size_, text_.get());
}

MessageRecord& MessageRecord::operator=(const MessageRecord& o) {
  if (this != &o) *this = MessageRecord(o);
  return *this;
}

MessageRecord::MessageRecord(MessageRecord&& o) noexcept
    : text_(std::move(o.text_)), size_(std::exchange(o.size_, 0)), end_(std::exchange(o.end_, {})) {}

MessageRecord& MessageRecord::operator=(MessageRecord&& o) noexcept {
  text_ = std::move(o.text_);
  size_ = std::exchange(o.size_, 0);
  end_ = std::exchange(o.end_, {});
  return *this;
}

std::string MessageRecord::sender_unquoted() const {
  std::string out(sender());
  std::erase(out, '"');
  return out;
}

std::string_view MessageRecord::page_name() const { return sjis::right(page(), 12); }

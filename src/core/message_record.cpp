#include "core/message_record.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

#include "codec/sjis_text.h"

namespace {

// TAB, CR and LF are never the second byte of a double-byte character.
bool line_break_or_tab(char c) { return c == '\t' || c == '\r' || c == '\n'; }

void append_field(std::string& out, std::string_view s) {
  // A plain loop: find_first_of with a set searches the set once per byte.
  if (std::none_of(s.begin(), s.end(), line_break_or_tab)) {
    out.append(s);
    return;
  }
  for (char c : s)
    if (!line_break_or_tab(c)) out += c;
}

}  // namespace

MessageRecord::MessageRecord(std::string_view date, std::string_view subject, std::string_view sender,
                             std::string_view message_id, std::string_view parent_id, std::string_view page,
                             std::string_view origin) {
  const std::size_t size =
      date.size() + subject.size() + sender.size() + message_id.size() + parent_id.size() + page.size() + origin.size();
  if (size + kFields > 0xffffffffu) throw std::length_error("message record longer than 4 GB");
  text_.reserve(size + kFields - 1);
  int k = 0;
  for (std::string_view f : {date, subject, sender, message_id, parent_id, page}) {
    append_field(text_, f);
    end_[k++] = static_cast<std::uint32_t>(text_.size());
    text_ += '\t';
  }
  append_field(text_, origin);
}

std::string MessageRecord::sender_unquoted() const {
  std::string out(sender());
  std::erase(out, '"');
  return out;
}

std::string_view MessageRecord::page_name() const { return sjis::right(page(), 12); }

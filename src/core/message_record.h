// The record of one message in the archive's message index (work_list):
// date, subject, sender, Message-ID, parent id, page and origin, all
// Shift_JIS text free of TAB, CR and LF.
//
// A record keeps its fields in one block of text, each but the last
// followed by a TAB, with the ends of the fields beside it: as compact as
// one line of text (no spare room, no terminator; an archive keeps one per
// message), and that text is the order of work_list (records compare as their
// fields in turn, see line_lists.h). No file holds this text; a record is
// written and read back only as the comment of its menu entry (menu_entry.h,
// menu_reader.h) and through the menu index.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class MessageRecord {
 public:
  // Where the record came from: a message read by this run, or an entry of
  // the menu of an earlier run. Kept as its digit ("0", "1").
  static constexpr std::string_view kThisRun = "0";
  static constexpr std::string_view kEarlierRun = "1";

  // Seven empty fields.
  MessageRecord() : MessageRecord({}, {}, {}, {}, {}, {}, {}) {}
  // Every TAB, CR and LF of a field is dropped.
  MessageRecord(std::string_view date, std::string_view subject, std::string_view sender, std::string_view message_id,
                std::string_view parent_id, std::string_view page, std::string_view origin);
  MessageRecord(const MessageRecord& o);
  MessageRecord& operator=(const MessageRecord& o);
  // A record moved from holds seven empty fields.
  MessageRecord(MessageRecord&& o) noexcept;
  MessageRecord& operator=(MessageRecord&& o) noexcept;
  ~MessageRecord() = default;

  std::string_view date() const { return field(0); }
  std::string_view subject() const { return field(1); }
  // As the message gave it, double quotes included.
  std::string_view sender() const { return field(2); }
  std::string_view message_id() const { return field(3); }
  std::string_view parent_id() const { return field(4); }
  // The page as stored: a path or a page file name.
  std::string_view page() const { return field(5); }
  std::string_view origin() const { return field(6); }

  // The sender without its double quotes (never the second byte of a
  // character), as the menu shows it.
  std::string sender_unquoted() const;
  // The page file name: the page's last twelve characters.
  std::string_view page_name() const;
  bool from_this_run() const { return origin() != kEarlierRun; }

  // The text that orders records: the fields in turn, TAB between them.
  std::string_view order_text() const { return std::string_view(text_.get(), size_); }

  friend bool operator==(const MessageRecord& a, const MessageRecord& b) { return a.order_text() == b.order_text(); }

 private:
  static constexpr int kFields = 7;
  std::string_view field(int k) const {
    if (size_ == 0) return {};  // moved from: a record's text holds at least its six TABs
    const std::uint32_t start = k == 0 ? 0 : end_[k - 1] + 1;
    const std::uint32_t end = k == kFields - 1 ? size_ : end_[k];
    return order_text().substr(start, end - start);
  }

  std::unique_ptr<char[]> text_;
  std::uint32_t size_ = 0;
  std::array<std::uint32_t, kFields - 1> end_{};  // where fields 0..5 end (their TAB)
};

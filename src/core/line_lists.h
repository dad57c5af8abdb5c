// The sorted line lists of a run.
//
// A sorted list keeps its lines in ascending order, letter case ignored
// (sjis::compare_nocase); lines equal but for case follow their exact bytes,
// and identical lines keep the order in which they were added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/message_record.h"

namespace line_lists_detail {

// The first sixteen bytes of a text's sort key, kept beside it so that most
// comparisons while sorting never touch the text itself, and the order in
// which it was added.
struct SortKey {
  SortKey(std::string_view text, std::uint64_t seq);
  std::uint64_t seq;
  std::uint64_t key[2];
};
bool less_text(std::string_view a, const SortKey& ka, std::string_view b, const SortKey& kb);

struct Entry {
  Entry(std::string line, std::uint64_t seq) : text(std::move(line)), k(text, seq) {}
  std::string_view order() const { return text; }
  std::string text;
  SortKey k;
};
// A record orders as its fields in turn (MessageRecord::order_text).
struct RecordEntry {
  RecordEntry(MessageRecord r, std::uint64_t seq) : record(std::move(r)), k(record.order_text(), seq) {}
  std::string_view order() const { return record.order_text(); }
  MessageRecord record;
  SortKey k;
};
struct Less {
  template <class E>
  bool operator()(const E& a, const E& b) const {
    return less_text(a.order(), a.k, b.order(), b.k);
  }
};

}  // namespace line_lists_detail

// syo_list_w, ml_count: filled, then read. Lines are
// appended as they come and sorted when the list is next read, so filling a
// list of n lines and walking it costs O(n log n) in all.
class SortedLines {
 public:
  void add(std::string line);
  void reserve(std::size_t lines) { lines_.reserve(lines); }
  const std::string& at(std::size_t i) const;
  std::size_t count() const { return lines_.size(); }
  void remove(std::size_t i);
  void clear();
  // Puts the list in order now (reading does so when needed). After it, and
  // until the list changes, reading from several threads at once is safe.
  void settle() const;

 private:
  mutable std::vector<line_lists_detail::Entry> lines_;
  mutable std::size_t sorted_ = 0;  // lines_[0, sorted_) are in order
  std::uint64_t next_seq_ = 0;
};

// work_list: the message index, one record per message, in the order of
// their fields (date first; MessageRecord::order_text, compared as the lines
// above). Records are added while mailboxes are read, and a re-sent message
// takes its earlier record out (take_by_id); the list is read once reading
// is over. So records are appended as they come, a taken one is only marked,
// and the first read drops the marked records and sorts the rest: filling
// and reading n records costs O(n log n) in all. An index of message ids (by
// hash, pointing into the list) finds a record by its id without walking the
// list. An empty id is never indexed, so messages without an id never
// replace one another.
class WorkList {
 public:
  void add(MessageRecord record);
  const MessageRecord& at(std::size_t i) const;
  std::size_t count() const { return live_; }
  void remove(std::size_t i);
  void clear();
  // Removes the first record (in list order) whose message id equals id
  // exactly and returns it; nothing when there is none or id is empty.
  std::optional<MessageRecord> take_by_id(const std::string& id);
  // Puts the list in order now (reading does so when needed). After it, and
  // until the list changes, reading from several threads at once is safe.
  void settle() const;

 private:
  void index_ids() const;

  mutable std::vector<line_lists_detail::RecordEntry> lines_;
  mutable std::vector<bool> taken_;  // parallel to lines_
  mutable std::size_t sorted_ = 0;   // lines_[0, sorted_) are in order and none is taken
  std::size_t live_ = 0;
  std::uint64_t next_seq_ = 0;
  // Open-addressed table of (hash of the id, position in lines_), linear
  // probing, at most half full; valid while ids_valid_.
  struct IdSlot {
    std::size_t hash;
    std::size_t pos;  // kFree, kGone or a position in lines_
  };
  static constexpr std::size_t kFree = static_cast<std::size_t>(-1);
  static constexpr std::size_t kGone = static_cast<std::size_t>(-2);
  void put_id(std::size_t hash, std::size_t pos) const;
  void drop_ids() const;
  mutable std::vector<IdSlot> ids_;
  mutable std::size_t ids_used_ = 0;  // slots not free (taken ones included)
  // Built on the first take_by_id, in one go at its full size: a list read
  // back from an archive is filled without it.
  mutable bool ids_valid_ = false;
};

// The sorted line lists of a run.
//
// A sorted list keeps its lines in ascending order, letter case ignored
// (sjis::compare_nocase); lines equal but for case follow their exact bytes,
// and identical lines keep the order in which they were added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace line_lists_detail {

// A line with the first sixteen bytes of its sort key kept beside it, so
// that most comparisons while sorting never touch the text itself.
struct Entry {
  Entry(std::string line, std::uint64_t seq);
  std::string text;
  std::uint64_t seq;
  std::uint64_t key[2];
};
struct Less {
  bool operator()(const Entry& a, const Entry& b) const;
};

}  // namespace line_lists_detail

// syo_list, syo_list_w, ml_work, ml_count: filled, then read. Lines are
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

// work_list: the message index. Lines are added while mailboxes are read,
// and a re-sent message takes its earlier line out (take_by_id); the list is
// read once reading is over. So lines are appended as they come, a taken
// line is only marked, and the first read drops the marked lines and sorts
// the rest: filling and reading n lines costs O(n log n) in all. An index of
// message ids (by hash, pointing into the list) finds a line by its id
// without walking the list. An empty id is never indexed, so messages
// without an id never replace one another.
class WorkList {
 public:
  void add(std::string line);
  const std::string& at(std::size_t i) const;
  std::size_t count() const { return live_; }
  void remove(std::size_t i);
  void clear();
  // Removes the first line (in list order) whose message id equals id exactly
  // and returns it; nothing when there is none or id is empty. Without such a
  // line, asks take_elsewhere when it is set.
  std::optional<std::string> take_by_id(const std::string& id);
  // The messages an append run keeps outside the list (cleared by clear()).
  std::function<std::optional<std::string>(const std::string&)> take_elsewhere;
  // Puts the list in order now (reading does so when needed). After it, and
  // until the list changes, reading from several threads at once is safe.
  void settle() const;

 private:
  static std::string_view id_of(std::string_view line);
  void index_ids() const;

  mutable std::vector<line_lists_detail::Entry> lines_;
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
  mutable std::vector<IdSlot> ids_;
  mutable std::size_t ids_used_ = 0;  // slots not free (taken ones included)
  // Built on the first take_by_id, in one go at its full size: a list read
  // back from an archive is filled without it.
  mutable bool ids_valid_ = false;
};

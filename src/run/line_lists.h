// The sorted line lists of a run.
//
// A sorted list keeps its lines in ascending order, letter case ignored
// (sjis::compare_nocase); lines equal but for case follow their exact bytes,
// and identical lines keep the order in which they were added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace line_lists_detail {

struct Entry {
  std::string text;
  std::uint64_t seq;
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
  const std::string& at(std::size_t i) const;
  std::size_t count() const { return lines_.size(); }
  void remove(std::size_t i);
  void clear();

 private:
  void sort() const;

  mutable std::vector<line_lists_detail::Entry> lines_;
  mutable std::size_t sorted_ = 0;  // lines_[0, sorted_) are in order
  std::uint64_t next_seq_ = 0;
};

// work_list: the message index. Lines are added and removed while mailboxes
// are read (a re-sent message replaces its earlier line), so it is kept in a
// balanced tree: adding and removing cost O(log n), reading line i O(1) once
// the list has not changed since the last read. It also finds the line that
// holds a given message id without walking the list. An empty id is never
// indexed, so messages without an id never replace one another.
class WorkList {
 public:
  void add(std::string line);
  const std::string& at(std::size_t i) const;
  std::size_t count() const { return set_.size(); }
  void remove(std::size_t i);
  void clear();
  // Removes the first line (in list order) whose message id equals id exactly
  // and returns it; nothing when there is none or id is empty.
  std::optional<std::string> take_by_id(const std::string& id);

 private:
  using Set = std::set<line_lists_detail::Entry, line_lists_detail::Less>;
  static std::string id_of(const std::string& line);
  void index() const;
  void erase(Set::const_iterator h);

  Set set_;
  std::uint64_t next_seq_ = 0;
  std::unordered_map<std::string, std::vector<Set::const_iterator>> by_id_;
  mutable std::vector<Set::const_iterator> snapshot_;
  mutable bool snapshot_valid_ = true;
};

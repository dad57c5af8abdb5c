// The sorted line lists of a run.
//
// A sorted list keeps its lines in ascending order, letter case ignored
// (sjis::compare_nocase); lines equal but for case follow their exact bytes,
// and identical lines keep the order in which they were added. Adding and removing cost O(log n); reading line i costs
// O(1) once the list has not changed since the last read, so the usual
// pattern (fill, then walk from 0 to count-1) is O(n log n) overall.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

class SortedLines {
 public:
  struct Entry {
    std::string text;
    std::uint64_t seq;
  };
  struct Less {
    bool operator()(const Entry& a, const Entry& b) const;
  };
  using Handle = std::set<Entry, Less>::const_iterator;

  Handle add(std::string line);
  const std::string& at(std::size_t i) const;
  std::size_t count() const { return set_.size(); }
  void remove(std::size_t i);
  void remove(Handle h);
  void clear();
  bool less(Handle a, Handle b) const { return Less()(*a, *b); }

  auto begin() const { return set_.begin(); }
  auto end() const { return set_.end(); }

 private:
  void index() const;

  std::set<Entry, Less> set_;
  std::uint64_t next_seq_ = 0;
  mutable std::vector<Handle> snapshot_;
  mutable bool snapshot_valid_ = true;
};

// work_list: the message index. Besides being a sorted list it finds the line
// that holds a given message id without walking the list. An empty id is
// never indexed, so messages without an id never replace one another.
class WorkList {
 public:
  void add(std::string line);
  const std::string& at(std::size_t i) const { return lines_.at(i); }
  std::size_t count() const { return lines_.count(); }
  void remove(std::size_t i);
  void clear();
  // Removes the first line (in list order) whose message id equals id exactly
  // and returns it; nothing when there is none or id is empty.
  std::optional<std::string> take_by_id(const std::string& id);

 private:
  static std::string id_of(const std::string& line);
  void forget(SortedLines::Handle h);

  SortedLines lines_;
  std::unordered_map<std::string, std::vector<SortedLines::Handle>> by_id_;
};

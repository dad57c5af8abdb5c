// The thread order (syo_list): one key per message of work_list, in key
// order. A key is "Z" + 7 digits per level, the numbers of the messages from
// the root of the message's thread down to the message itself; a message's
// number is its position in work_list. Keys are unique (each ends with its
// message's own step), and a key comes before the keys that extend it, so
// the order draws each thread as a tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One line of the order.
struct ThreadLine {
  std::string_view key;
  std::size_t number;      // the message
  std::size_t depth;       // 0 for a root
  std::size_t first_step;  // the root's number
};

class ThreadKeys {
 public:
  // A step of a key: "Z" + number in 7 digits.
  static constexpr std::size_t kStep = 8;
  static std::string Step(std::size_t number);
  // The number named by step s of key (counted from 0); throws VbError(13)
  // when those are no digits.
  static std::size_t step_number(std::string_view key, std::size_t s);

  void add(std::string_view key, std::uint32_t number);
  // Room for keys lines of bytes bytes in all.
  void reserve(std::size_t keys, std::size_t bytes) {
    lines_.reserve(keys);
    text_.reserve(bytes);
  }
  // Throws std::out_of_range past the end, VbError(13) for a key of no
  // digits.
  ThreadLine at(std::size_t k) const;
  std::size_t count() const { return lines_.size(); }
  void clear();
  // Puts the keys in order now (reading does so when needed). After it, and
  // until the list changes, reading from several threads at once is safe.
  void settle() const;

 private:
  // The keys stand one after another in text_, each line naming its own:
  // one allocation for all of them instead of one per key past the
  // string's inline room.
  struct Entry {
    std::uint64_t start;
    std::uint32_t size;
    std::uint32_t number;
  };
  std::string_view key_of(const Entry& e) const { return std::string_view(text_).substr(e.start, e.size); }
  std::string text_;
  mutable std::vector<Entry> lines_;
  mutable bool sorted_ = true;
};

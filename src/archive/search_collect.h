// The tokens of the messages a run reads, gathered while the mailbox walk
// goes on, for the segment of the search index that the run writes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "archive/search_tokens.h"
#include "core/attach_list.h"
#include "core/text_lines.h"

// The number of a message page's file name ("m0000123.htm": 123), or 0.
std::uint32_t search_page_number(std::string_view page_name);

class SearchCollector {
 public:
  // A message of page number page, with what its page shows: the subject,
  // the sender (name and address), the body lines and the attachments'
  // names (attachments[0] is a placeholder). Text is Shift_JIS. A page added
  // again (a message re-sent within the run) holds only its last content.
  void add(std::uint32_t page, std::string_view subject, std::string_view sender, const TextLines& lines,
           const AttachList& attachments);

  // Entries are numbered in the order add() was called.
  std::size_t entries() const { return entry_page_.size(); }
  // The entry that holds page now, or -1.
  std::int64_t entry_of(std::uint32_t page) const;
  // Pages whose files the index step reads back, unless a message of this
  // run holds them: pages that a stopped run wrote and may not have indexed.
  void read_back(std::uint32_t page) { read_back_.push_back(page); }
  const std::vector<std::uint32_t>& pages_to_read_back() const { return read_back_; }

  // A hash of the entry's tokens (as a set).
  std::uint64_t entry_hash(std::size_t entry) const { return entry_hash_[entry]; }

  // Every token (UTF-8) with its entries, ascending.
  std::size_t tokens() const { return tokens_.size(); }
  const std::string& token(std::size_t t) const { return tokens_[t]; }
  const std::vector<std::uint32_t>& entries_of(std::size_t t) const { return postings_[t]; }

 private:
  SearchTokeniser tokeniser_{true};
  std::vector<std::string> found_;  // the tokens of the message being added
  std::string body_;
  // Open addressing, at most half full: a token's hash and its id. The
  // tokens of one message are looked up once each (a message repeats most
  // of its words), in a table of that message's own.
  struct Slot {
    std::uint64_t hash = 0;
    std::uint32_t id = 0xffffffffu;
  };
  std::uint32_t id_of(const std::string& token, std::uint64_t hash);
  void grow();
  std::vector<Slot> slots_;
  std::vector<std::uint32_t> local_;  // indexes into found_, for this message
  std::vector<std::string> tokens_;
  std::vector<std::vector<std::uint32_t>> postings_;
  std::vector<std::uint32_t> entry_page_;
  std::vector<std::uint64_t> entry_hash_;
  std::unordered_map<std::uint32_t, std::uint32_t> latest_;  // page -> entry
  std::vector<std::uint32_t> read_back_;
};

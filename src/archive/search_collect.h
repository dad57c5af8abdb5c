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

class SearchCollector final : private SearchTokenSink {
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
  // A hash of the entry's tokens (as a set).
  std::uint64_t entry_hash(std::size_t entry) const { return entry_hash_[entry]; }

  // Every token (UTF-8) with its entries, ascending.
  std::size_t tokens() const { return tokens_.size(); }
  const std::string& token(std::size_t t) const { return tokens_[t]; }
  const std::vector<std::uint32_t>& entries_of(std::size_t t) const { return postings_[t]; }

 private:
  // Each token of the message being added: its id, and the message's entry
  // on the token's list unless it is there already (a message repeats most
  // of its words).
  void take(std::string_view token) override;
  void take_japanese(char32_t first, char32_t second) override;
  void note(std::uint32_t id);
  std::uint32_t new_token(std::string_view token);
  std::uint32_t id_of(std::string_view token);
  std::uint32_t id_of_pair(char32_t first, char32_t second);

  SearchTokeniser tokeniser_{true};
  std::string body_;
  std::uint32_t entry_ = 0;  // of the message being added
  std::uint64_t hash_ = 0;   // of its distinct tokens so far
  // Tokens by id: the text, its stable_hash, the last entry that held it, the
  // entries that hold it.
  std::vector<std::string> tokens_;
  std::vector<std::uint64_t> token_hash_;
  std::vector<std::uint32_t> last_entry_;
  std::vector<std::vector<std::uint32_t>> postings_;
  // Ids by token: open addressing, at most half full, of a quick hash of
  // a word's bytes (the text compared on a match) or of the two code points
  // of a Japanese pair (which are the key); single Japanese characters of
  // the Basic Multilingual Plane by a table.
  struct Slot {
    std::uint64_t key = 0;
    std::uint32_t id = 0xffffffffu;
  };
  std::vector<Slot> words_, pairs_;
  std::size_t word_count_ = 0, pair_count_ = 0;
  std::vector<std::uint32_t> singles_;
  std::vector<std::uint32_t> entry_page_;
  std::vector<std::uint64_t> entry_hash_;
  std::unordered_map<std::uint32_t, std::uint32_t> latest_;  // page -> entry
};

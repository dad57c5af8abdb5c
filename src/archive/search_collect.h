// The tokens of the messages a run reads, gathered while the mailbox walk
// goes on, for the segment of the search index that the run writes.
#pragma once

#include <cstdint>
#include <memory>
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
  // Pages whose files the index step reads back, unless a message of this
  // run holds them: pages that a stopped run wrote and may not have indexed.
  void read_back(std::uint32_t page) { read_back_.push_back(page); }
  const std::vector<std::uint32_t>& pages_to_read_back() const { return read_back_; }

  // A hash of the entry's tokens (as a set).
  std::uint64_t entry_hash(std::size_t entry) const { return entry_hash_[entry]; }

  // Every token (UTF-8) with its entries, ascending (each handed to f).
  std::size_t tokens() const { return tokens_.size(); }
  const std::string& token(std::size_t t) const { return tokens_[t]; }
  template <typename F>
  void for_each_entry(std::size_t t, F f) const;

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
  std::uint32_t* block(std::uint32_t b) { return &pages_[b >> 20][b & (kPage - 1)]; }
  const std::uint32_t* block(std::uint32_t b) const { return &pages_[b >> 20][b & (kPage - 1)]; }
  std::uint32_t new_block(std::uint32_t capacity);

  SearchTokeniser tokeniser_{true};
  std::string body_;
  std::uint32_t entry_ = 0;  // of the message being added
  std::uint64_t hash_ = 0;   // of its distinct tokens so far

  // A token's entries: the last one, and when there are more, blocks that
  // grow as the token is found more often (so that a common word's list is
  // read in long runs), each the next block's number, its capacity and its
  // entries; in pages of a million numbers, so that nothing is copied.
  static constexpr std::uint32_t kPage = 1u << 20;
  struct Token {
    std::uint64_t hash;  // stable_hash of the text
    std::uint32_t last = 0xffffffffu;
    std::uint32_t count = 0;
    std::uint32_t first = 0, tail = 0, used = 0;  // blocks; entries in the tail
  };
  std::vector<std::string> tokens_;
  std::vector<Token> info_;
  std::vector<std::unique_ptr<std::uint32_t[]>> pages_;
  std::uint32_t page_used_ = kPage;

  // Ids by token: open addressing, at most half full, of a quick hash of a
  // word's bytes (with its first eight bytes and length, so that most words
  // are told apart without their text) or of the two code points of a
  // Japanese pair (which are the key); single Japanese characters of the
  // Basic Multilingual Plane by a table.
  struct WordSlot {
    std::uint64_t key = 0, prefix = 0;
    std::uint32_t id = 0xffffffffu, size = 0;
  };
  struct PairSlot {
    std::uint64_t key = 0;
    std::uint32_t id = 0xffffffffu;
  };
  std::vector<WordSlot> words_;
  std::vector<PairSlot> pairs_;
  std::size_t word_count_ = 0, pair_count_ = 0;
  std::vector<std::uint32_t> singles_;
  std::vector<std::uint32_t> entry_page_;
  std::vector<std::uint64_t> entry_hash_;
  std::unordered_map<std::uint32_t, std::uint32_t> latest_;  // page -> entry
  std::vector<std::uint32_t> read_back_;
};

template <typename F>
void SearchCollector::for_each_entry(std::size_t t, F f) const {
  const Token& k = info_[t];
  if (k.count == 1) f(k.last);
  if (k.count < 2) return;
  for (std::uint32_t b = k.first;;) {
    const std::uint32_t* p = block(b);
    const std::uint32_t n = b == k.tail ? k.used : p[1];
    for (std::uint32_t i = 0; i < n; ++i) f(p[2 + i]);
    if (b == k.tail) return;
    b = p[0];
  }
}

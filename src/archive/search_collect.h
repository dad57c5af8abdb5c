// The tokens of the messages a run reads, gathered while the mailbox walk
// goes on, for the segment of the search index that the run writes.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "archive/search_spill.h"
#include "archive/search_tokens.h"
#include "core/attach_list.h"
#include "core/page_writer.h"
#include "core/text_lines.h"

// The number of a message page's file name ("m0000123.htm": 123), or 0.
std::uint32_t search_page_number(std::string_view page_name);

class SearchCollector final : private SearchTokenSink {
 public:
  // own_thread: tokenise and collect on a thread of the collector's own.
  // That pays where a core is left over beside the walk and the page
  // writer; on two cores, which those two keep busy, the thread only adds
  // its handovers.
  explicit SearchCollector(bool own_thread = std::thread::hardware_concurrency() > 2) {
    if (own_thread) thread_.emplace();
  }

  // Lets the entry lists, once they take more than budget bytes, be moved
  // to a temporary file in dir (the index's folder) and memory be used
  // again for the next messages. Before the first add().
  void spill_to(std::string dir, std::size_t budget = kListBudget) {
    spill_ = std::make_unique<SearchSpill>(std::move(dir));
    budget_ = budget;
  }
  static constexpr std::size_t kListBudget = std::size_t{8} << 20;

  // A message of page number page, with what its page shows: the subject,
  // the sender (name and address), the body lines and the attachments'
  // names (attachments[0] is a placeholder). Text is Shift_JIS. A page added
  // again (a message re-sent within the run) holds only its last content.
  // The attachments' names are read by settle(): the page writer's thread
  // may still change them (a file saved under another name). With a thread
  // of its own, the text is copied and tokenised there while the walk goes
  // on.
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

  // Waits for the messages added to be collected and takes the
  // attachments' names of every entry, once the page writer has saved the
  // files; before the hashes and tokens are read. Gives back the tables
  // that found the tokens: no message can be added after it. Throws what
  // the collector's thread failed with.
  void settle();

  // A hash of the entry's tokens (as a set) and its attachments' names.
  std::uint64_t entry_hash(std::size_t entry) const { return entry_hash_[entry]; }

  // Every token (UTF-8) with its entries (each handed to f, ascending but
  // for those of attachments' names, which come first and may repeat one).
  // Once lists have been moved to the file, each token is asked at most
  // once, in the order of tokens_in_order().
  std::size_t tokens() const { return info_.size(); }
  std::string_view token(std::size_t t) const {
    return std::string_view(text_).substr(starts_[t], starts_[t + 1] - starts_[t]);
  }
  template <typename F>
  void for_each_entry(std::size_t t, F f) const;
  // How many entries for_each_entry hands over, not counting attachments'
  // names.
  std::size_t entry_count(std::size_t t) const { return info_[t].count; }
  // Every token, those of a shard next to each other for every number of
  // shards that is a power of two up to kMaxShards.
  std::vector<std::uint32_t> tokens_in_order() const;
  std::size_t spills() const { return spill_ ? spill_->runs() : 0; }
  // Whether every list moved to the file has been read back.
  bool lists_read() const { return !spill_ || spill_->read_all(); }

 private:
  // Each token of the message being added: its id, and the message's entry
  // on the token's list unless it is there already (a message repeats most
  // of its words).
  struct Token;
  void collect(std::uint32_t entry, std::string_view subject, std::string_view sender, std::string_view body,
               const std::vector<std::shared_ptr<const std::string>>& names);
  void take(std::string_view token) override;
  void take_japanese(char32_t first, char32_t second) override;
  void take_run(std::u32string_view run, bool every_character) override;
  bool note(std::uint32_t id);
  std::uint32_t single(char32_t c);
  std::uint32_t new_token(std::string_view token);
  std::uint32_t id_of(std::string_view token);
  std::uint32_t id_of_pair(char32_t first, char32_t second);
  std::uint32_t recent_pair(char32_t first, char32_t second);
  std::uint32_t id_of_japanese(char32_t first, char32_t second);
  unsigned char* block(std::uint32_t b) const {
    return reinterpret_cast<unsigned char*>(&pages_[b >> kPageBits][b & ((1u << kPageBits) - 1)]);
  }
  std::uint32_t new_block(std::uint32_t capacity);
  void append(Token& k, std::uint32_t gap);
  void spill();
  std::uint64_t order_key(std::uint32_t t) const;
  template <typename F>
  static void read_gaps(const unsigned char* p, std::size_t n, std::uint32_t& e, F f);

  // On the caller's side: entries by page, the pages to read back.
  std::vector<std::uint32_t> entry_page_;
  // By page number (pages are numbered from 1 up): its latest entry, or none.
  std::vector<std::uint32_t> latest_;
  std::vector<std::uint32_t> read_back_;
  bool settled_ = false;

  // The rest on the collector's thread until settle().
  SearchTokeniser tokeniser_{true};
  std::uint32_t entry_ = 0;  // of the message being added
  std::uint64_t hash_ = 0;   // of its distinct tokens so far

  // A token's entries: the first one, and when there are more, the
  // differences from each to the next as variable-length numbers (seven
  // bits a byte, most common words take one byte an entry) in blocks that
  // grow as the token is found more often. Blocks are 8-byte aligned in
  // pages of 4 MB and named by their offset in 8-byte units, so that a
  // 32-bit name reaches 32 GB (0 names no block); a block starts with the
  // name of the next block, its capacity and the bytes used (two bytes
  // each). When the pages in use pass the budget, every token's blocks are
  // written to the spill file as one run of differences and the pages are
  // used again: a token's differences are then its runs' ones followed by
  // those of its blocks.
  static constexpr std::uint32_t kPageBits = 19;  // 8-byte units a page
  struct Token {
    std::uint32_t first = 0, count = 0;
    std::uint32_t head = 0, tail = 0;  // blocks, or 0
  };
  // The tokens' texts one after another: token t from starts_[t] to
  // starts_[t + 1].
  std::string text_;
  std::vector<std::uint64_t> starts_{0};
  std::vector<Token> info_;
  // What only collecting needs of a token, given back by settle(): the
  // last entry holding it, and the stable_hash of its text.
  std::vector<std::uint32_t> last_;
  std::vector<std::uint64_t> hash_of_;
  std::vector<std::unique_ptr<std::uint64_t[]>> pages_;
  std::size_t pages_in_use_ = 0;
  std::uint32_t page_used_ = 1u << kPageBits;  // of the last page in use
  std::vector<std::uint32_t> held_;            // tokens with blocks
  std::unique_ptr<SearchSpill> spill_;         // read from const members: its cursors move
  std::size_t budget_ = kListBudget;

  // Ids by token: open addressing, at most half full. A word's slot holds
  // 32 bits of a hash of its bytes (which also place it) and its id; a word
  // is told apart by its text where the bits agree. 8 bytes, not 16: at a
  // million messages the words' table is the biggest of the collector's. A
  // Japanese pair's key is its two code points; single Japanese characters
  // of the Basic Multilingual Plane are found by a table.
  struct WordSlot {
    std::uint32_t hash = 0;
    std::uint32_t id = 0xffffffffu;
  };
  static_assert(sizeof(WordSlot) == 8);
  // 12 bytes, not 16: at a million messages the pairs' table is one of the
  // collector's biggest.
  struct [[gnu::packed, gnu::aligned(4)]] PairSlot {
    std::uint64_t key = 0;
    std::uint32_t id = 0xffffffffu;
  };
  static_assert(sizeof(PairSlot) == 12);
  std::vector<WordSlot> words_;
  std::vector<PairSlot> pairs_;
  static constexpr unsigned kRecentBits = 12;
  std::array<PairSlot, 1u << kRecentBits> recent_{};
  std::size_t word_count_ = 0, pair_count_ = 0;
  std::vector<std::uint32_t> singles_;
  std::vector<std::uint64_t> entry_hash_;
  // Attachments' names by entry, until settle(); then their tokens, as
  // (token, entry) ascending.
  std::vector<std::pair<std::uint32_t, std::shared_ptr<const std::string>>> names_;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> name_tokens_;

  // The collector's thread, if it has one: add() hands each message over as
  // a job, run in order (the page writer's queue). Last: the jobs use the
  // members above, also while it is destroyed.
  std::optional<PageWriter> thread_;
};

template <typename F>
void SearchCollector::for_each_entry(std::size_t t, F f) const {
  const auto id = static_cast<std::uint32_t>(t);
  auto late = std::lower_bound(name_tokens_.begin(), name_tokens_.end(), std::make_pair(id, std::uint32_t{0}));
  for (; late != name_tokens_.end() && late->first == id; ++late) f(late->second);
  const Token& k = info_[t];
  if (k.count == 0) return;
  std::uint32_t e = k.first;
  f(e);
  if (k.count == 1) return;
  if (spill_)
    spill_->take(order_key(id), [&](std::string_view gaps) {
      read_gaps(reinterpret_cast<const unsigned char*>(gaps.data()), gaps.size(), e, f);
    });
  for (std::uint32_t b = k.head; b != 0;) {
    const unsigned char* p = block(b);
    read_gaps(p + 8, p[6] | std::size_t{p[7]} << 8, e, f);
    if (b == k.tail) return;
    std::memcpy(&b, p, 4);
  }
}

// Hands f each entry of n bytes of differences that follow entry e.
template <typename F>
void SearchCollector::read_gaps(const unsigned char* p, std::size_t n, std::uint32_t& e, F f) {
  for (std::size_t i = 0; i < n;) {
    std::uint32_t gap = 0;
    for (unsigned shift = 0;; shift += 7) {
      const unsigned char c = p[i++];
      gap |= std::uint32_t{c & 0x7fu} << shift;
      if (c < 0x80) break;
    }
    f(e += gap);
  }
}

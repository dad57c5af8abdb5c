#include "archive/search_collect.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

#include "archive/archive_state.h"
#include "archive/search_files.h"
#include "codec/utf8_out.h"
#include "core/archive_files.h"
#include "core/vb_error.h"

namespace {
constexpr std::uint32_t kNone = 0xffffffffu;
}  // namespace

std::uint32_t search_page_number(std::string_view page_name) {
  if (!is_page_name(page_name)) return 0;
  std::uint32_t n = 0;
  for (std::size_t k = 1; k < 8; ++k) n = n * 10 + static_cast<std::uint32_t>(page_name[k] - '0');
  return n;
}

void SearchCollector::add(std::uint32_t page, std::string_view subject, std::string_view sender, const TextLines& lines,
                          const AttachList& attachments) {
  if (settled_) throw std::logic_error("search index: a message added after the lists were closed");
  const auto entry = static_cast<std::uint32_t>(entry_page_.size());
  entry_page_.push_back(page);
  if (page >= latest_.size()) latest_.resize(std::max<std::size_t>(page + 1, latest_.size() * 2), kNone);
  latest_[page] = entry;
  // The body as one text, so that a Japanese word wrapped onto the next line
  // stays one word.
  std::string body;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) body += '\n';
    body.append(lines[i]);
  }
  std::vector<std::shared_ptr<const std::string>> names;
  for (std::size_t k = 1; k < attachments.size(); ++k)
    if (attachments[k]) names.push_back(attachments[k]);
  if (!thread_) return collect(entry, subject, sender, body, names);
  const std::size_t size = subject.size() + sender.size() + body.size();
  thread_->run([this, entry, subject = std::string(subject), sender = std::string(sender), body = std::move(body),
                names = std::move(names)] { collect(entry, subject, sender, body, names); },
               size);
}

// In the order the messages were added (on the collector's thread, if it
// has one).
void SearchCollector::collect(std::uint32_t entry, std::string_view subject, std::string_view sender,
                              std::string_view body, const std::vector<std::shared_ptr<const std::string>>& names) {
  if (spill_ && pages_in_use_ * (std::size_t{8} << kPageBits) > budget_) spill();
  entry_ = entry;
  hash_ = 0;
  tokeniser_.add_sjis(subject, *this);
  tokeniser_.add_sjis(sender, *this);
  tokeniser_.add_sjis(body, *this);
  entry_hash_.push_back(hash_);
  for (const auto& name : names) names_.emplace_back(entry, name);
}

namespace {

std::uint64_t mix(std::uint64_t h) {
  h ^= h >> 32;
  h *= 0xFF51AFD7ED558CCDull;
  return h ^ (h >> 29);
}

// A quick hash of a token's bytes, eight at a time (mixed further where it
// places the token).
std::uint64_t token_key(std::string_view s) {
  std::uint64_t h = s.size() * 0x9E3779B97F4A7C15ull;
  std::size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    std::uint64_t w;
    std::memcpy(&w, s.data() + i, 8);
    h = (h ^ w) * 0xBF58476D1CE4E5B9ull;
    h ^= h >> 31;
  }
  if (i < s.size()) {
    std::uint64_t w = 0;
    std::memcpy(&w, s.data() + i, s.size() - i);
    h = (h ^ w) * 0x94D049BB133111EBull;
  }
  return h;
}

// Where a slot's search starts, in a table of mask + 1 slots.
template <typename Slot>
std::size_t place(const Slot& s, std::size_t mask) {
  if constexpr (requires { s.key; })
    return mix(s.key) & mask;
  else
    return s.hash & mask;
}

// Doubles a table of slots (or makes its first).
template <typename Slot>
void grow(std::vector<Slot>& slots) {
  std::vector<Slot> old = std::move(slots);
  slots.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
  const std::size_t mask = slots.size() - 1;
  for (const Slot& s : old) {
    if (s.id == kNone) continue;
    std::size_t at = place(s, mask);
    while (slots[at].id != kNone) at = (at + 1) & mask;
    slots[at] = s;
  }
}

}  // namespace

// The hash of a message's tokens is a sum of the tokens' own hashes, so that
// it does not depend on their order. True when the message had not held the
// token yet.
[[gnu::always_inline]] inline bool SearchCollector::note(std::uint32_t id) {
  std::uint32_t& last = last_[id];
  if (last == entry_) return false;
  Token& k = info_[id];
  hash_ += hash_of_[id] * 0x9E3779B97F4A7C15ull + 1;
  if (k.count++ == 0) {
    k.first = entry_;
  } else {
    if (k.tail == 0) held_.push_back(id);
    append(k, entry_ - last);
  }
  last = entry_;
  return true;
}

// Puts gap at the end of the token's entries, in a new block when the last
// one has no room for it.
void SearchCollector::append(Token& k, std::uint32_t gap) {
  unsigned char* p = nullptr;
  unsigned used = 0, capacity = 0;
  if (k.tail != 0) {
    p = block(k.tail);
    used = p[6] | unsigned{p[7]} << 8;
    capacity = p[4] | unsigned{p[5]} << 8;
  }
  if (used + 5 > capacity) {
    const std::uint32_t b = new_block(std::min(capacity * 2 + 8, 4088u));
    if (p != nullptr)
      std::memcpy(p, &b, 4);
    else
      k.head = b;
    k.tail = b;
    p = block(b);
    used = 0;
  }
  unsigned char* out = p + 8 + used;
  for (; gap >= 0x80; gap >>= 7) *out++ = static_cast<unsigned char>(gap | 0x80);
  *out++ = static_cast<unsigned char>(gap);
  used = static_cast<unsigned>(out - p - 8);
  p[6] = static_cast<unsigned char>(used);
  p[7] = static_cast<unsigned char>(used >> 8);
}

// A block of capacity bytes (a multiple of 8) after its header. The first
// unit of the first page is left out, so that no block is named 0.
std::uint32_t SearchCollector::new_block(std::uint32_t capacity) {
  const std::uint32_t units = capacity / 8 + 1;
  if (page_used_ + units > (1u << kPageBits)) {
    if (pages_in_use_ >= (std::size_t{1} << (32 - kPageBits))) throw VbError(6, "search index: too many tokens");
    if (pages_in_use_ == pages_.size())
      pages_.push_back(std::make_unique_for_overwrite<std::uint64_t[]>(std::size_t{1} << kPageBits));
    page_used_ = pages_in_use_++ == 0 ? 1 : 0;
  }
  const auto b = static_cast<std::uint32_t>((pages_in_use_ - 1) << kPageBits | page_used_);
  page_used_ += units;
  unsigned char* p = block(b);
  std::memset(p, 0, 8);
  p[4] = static_cast<unsigned char>(capacity);
  p[5] = static_cast<unsigned char>(capacity >> 8);
  return b;
}

// A token's place in tokens_in_order(): its shard among the most shards,
// bits reversed, so that the tokens of a shard among fewer (the low bits of
// that one) come together; then its id.
std::uint64_t SearchCollector::order_key(std::uint32_t t) const {
  constexpr int kBits = std::countr_zero(kMaxShards);
  std::uint32_t k = shard_of(token(t), kMaxShards), r = 0;
  for (int i = 0; i < kBits; ++i, k >>= 1) r = r << 1 | (k & 1);
  return std::uint64_t{r} << 32 | t;
}

std::vector<std::uint32_t> SearchCollector::tokens_in_order() const {
  std::vector<std::uint64_t> keys(info_.size());
  for (std::size_t t = 0; t < keys.size(); ++t) keys[t] = order_key(static_cast<std::uint32_t>(t));
  std::sort(keys.begin(), keys.end());
  std::vector<std::uint32_t> order(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) order[i] = static_cast<std::uint32_t>(keys[i]);
  return order;
}

// Writes every token's blocks to the spill file as a run, in the order of
// tokens_in_order(), and starts the pages afresh.
void SearchCollector::spill() {
  std::vector<std::uint64_t> held(held_.size());
  for (std::size_t i = 0; i < held_.size(); ++i) held[i] = order_key(held_[i]);
  held_.clear();
  std::sort(held.begin(), held.end());
  spill_->begin_run();
  std::string gaps;
  for (const std::uint64_t key : held) {
    Token& k = info_[static_cast<std::uint32_t>(key)];
    gaps.clear();
    for (std::uint32_t b = k.head; b != 0;) {
      const unsigned char* p = block(b);
      gaps.append(reinterpret_cast<const char*>(p + 8), p[6] | std::size_t{p[7]} << 8);
      if (b == k.tail) break;
      std::memcpy(&b, p, 4);
    }
    spill_->put(key, gaps);
    k.head = k.tail = 0;
  }
  spill_->end_run();
  pages_in_use_ = 0;
  page_used_ = 1u << kPageBits;
}

void SearchCollector::take(std::string_view token) { note(id_of(token)); }

// Most pairs were seen a moment ago: a small table of the latest pair of
// each place saves the big table's search.
inline std::uint32_t SearchCollector::recent_pair(char32_t first, char32_t second) {
  const std::uint64_t key = std::uint64_t{first} << 32 | second;
  PairSlot& r = recent_[(first * 0x9E3779B1u ^ second * 0x85EBCA77u) >> (32 - kRecentBits)];
  if (r.key != key || r.id == kNone) r = PairSlot{key, id_of_pair(first, second)};
  return r.id;
}

void SearchCollector::take_japanese(char32_t first, char32_t second) {
  note(second == 0 ? id_of_japanese(first, 0) : recent_pair(first, second));
}

std::uint32_t SearchCollector::id_of_japanese(char32_t first, char32_t second) {
  if (second != 0) return id_of_pair(first, second);
  char buf[8];
  if (first >= 0x10000) return id_of(std::string_view(buf, put_utf8(buf, first)));
  if (singles_.empty()) singles_.assign(0x10000, kNone);
  std::uint32_t& id = singles_[first];
  if (id == kNone) id = new_token(std::string_view(buf, put_utf8(buf, first)));
  return id;
}

inline std::uint32_t SearchCollector::single(char32_t c) {
  return c < 0x10000 && singles_[c] != kNone ? singles_[c] : id_of_japanese(c, 0);
}

// Every character of the run and every two adjacent ones. A character that
// begins a pair is noted when the pair is first noted in the message: where
// the pair was there before, so was the character (most pairs of a message
// come more than once, and this saves their first characters' lookups).
void SearchCollector::take_run(std::u32string_view run, bool) {
  if (run.empty()) return;
  if (singles_.empty()) singles_.assign(0x10000, kNone);
  const std::size_t last = run.size() - 1;
  for (std::size_t i = 0; i < last; ++i)
    if (note(recent_pair(run[i], run[i + 1]))) note(single(run[i]));
  note(single(run[last]));
}

std::uint32_t SearchCollector::new_token(std::string_view token) {
  const auto id = static_cast<std::uint32_t>(info_.size());
  text_.append(token);
  starts_.push_back(text_.size());
  info_.push_back(Token{});
  last_.push_back(kNone);
  hash_of_.push_back(stable_hash(token));
  return id;
}

std::uint32_t SearchCollector::id_of(std::string_view token) {
  if (words_.empty() || word_count_ * 2 >= words_.size()) grow(words_);
  const auto hash = static_cast<std::uint32_t>(mix(token_key(token)));
  const std::size_t mask = words_.size() - 1;
  std::size_t at = hash & mask;
  for (; words_[at].id != kNone; at = (at + 1) & mask) {
    const WordSlot& w = words_[at];
    if (w.hash == hash && this->token(w.id) == token) return w.id;
  }
  const std::uint32_t id = new_token(token);
  words_[at] = WordSlot{hash, id};
  ++word_count_;
  return id;
}

// A pair's key is its two code points, so that keys are tokens.
std::uint32_t SearchCollector::id_of_pair(char32_t first, char32_t second) {
  if (pairs_.empty() || pair_count_ * 2 >= pairs_.size()) grow(pairs_);
  const std::uint64_t key = std::uint64_t{first} << 32 | second;
  const std::size_t mask = pairs_.size() - 1;
  std::size_t at = mix(key) & mask;
  for (; pairs_[at].id != kNone; at = (at + 1) & mask)
    if (pairs_[at].key == key) return pairs_[at].id;
  char buf[8];
  std::size_t n = put_utf8(buf, first);
  n += put_utf8(buf + n, second);
  const std::uint32_t id = new_token(std::string_view(buf, n));
  pairs_[at] = PairSlot{key, id};
  ++pair_count_;
  return id;
}

// Tokens found here are kept apart from the others, whose entries are
// ascending, and counted in the entry's hash by the names' text.
void SearchCollector::settle() {
  if (thread_) thread_->finish();
  struct Names final : SearchTokenSink {
    SearchCollector& c;
    std::uint32_t entry = 0;
    explicit Names(SearchCollector& collector) : c(collector) {}
    void take(std::string_view token) override { c.name_tokens_.emplace_back(c.id_of(token), entry); }
    void take_japanese(char32_t first, char32_t second) override {
      c.name_tokens_.emplace_back(c.id_of_japanese(first, second), entry);
    }
  };
  Names sink(*this);
  for (const auto& [entry, name] : names_) {
    sink.entry = entry;
    tokeniser_.add_sjis(*name, sink);
    entry_hash_[entry] = stable_hash(*name, entry_hash_[entry]);
  }
  names_.clear();
  std::sort(name_tokens_.begin(), name_tokens_.end());
  name_tokens_.erase(std::unique(name_tokens_.begin(), name_tokens_.end()), name_tokens_.end());
  // The lists are read next, while the index is written: what only found
  // and counted tokens goes first.
  words_ = std::vector<WordSlot>();
  pairs_ = std::vector<PairSlot>();
  singles_ = std::vector<std::uint32_t>();
  last_ = std::vector<std::uint32_t>();
  hash_of_ = std::vector<std::uint64_t>();
  info_.shrink_to_fit();
  starts_.shrink_to_fit();
  text_.shrink_to_fit();
  // Lists that have outgrown the budget once wait in the file for the rest
  // of the run too.
  if (spills() > 0 && pages_in_use_ > 0) spill();
  if (spills() > 0) pages_.clear();
  settled_ = true;
}

std::int64_t SearchCollector::entry_of(std::uint32_t page) const {
  return page < latest_.size() && latest_[page] != kNone ? static_cast<std::int64_t>(latest_[page]) : -1;
}

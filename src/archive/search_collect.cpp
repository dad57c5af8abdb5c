#include "archive/search_collect.h"

#include <algorithm>
#include <cstring>

#include "archive/archive_state.h"
#include "codec/utf8_out.h"
#include "core/archive_files.h"

std::uint32_t search_page_number(std::string_view page_name) {
  if (!is_page_name(page_name)) return 0;
  std::uint32_t n = 0;
  for (std::size_t k = 1; k < 8; ++k) n = n * 10 + static_cast<std::uint32_t>(page_name[k] - '0');
  return n;
}

void SearchCollector::add(std::uint32_t page, std::string_view subject, std::string_view sender, const TextLines& lines,
                          const AttachList& attachments) {
  entry_ = static_cast<std::uint32_t>(entry_page_.size());
  hash_ = 0;
  tokeniser_.add_sjis(subject, *this);
  tokeniser_.add_sjis(sender, *this);
  // The body as one text, so that a Japanese word wrapped onto the next line
  // stays one word.
  body_.clear();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) body_ += '\n';
    body_.append(lines[i]);
  }
  tokeniser_.add_sjis(body_, *this);
  for (std::size_t k = 1; k < attachments.size(); ++k)
    if (attachments[k]) tokeniser_.add_sjis(*attachments[k], *this);
  entry_page_.push_back(page);
  entry_hash_.push_back(hash_);
  latest_[page] = entry_;
}

namespace {

constexpr std::uint32_t kNone = 0xffffffffu;

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

// Doubles a table of slots (or makes its first); a key's place is mix(key).
template <typename Slot>
void grow(std::vector<Slot>& slots) {
  std::vector<Slot> old = std::move(slots);
  slots.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
  const std::size_t mask = slots.size() - 1;
  for (const Slot& s : old) {
    if (s.id == kNone) continue;
    std::size_t at = mix(s.key) & mask;
    while (slots[at].id != kNone) at = (at + 1) & mask;
    slots[at] = s;
  }
}

}  // namespace

// The hash of a message's tokens is a sum of the tokens' own hashes, so that
// it does not depend on their order.
void SearchCollector::note(std::uint32_t id) {
  Token& k = info_[id];
  if (k.last == entry_) return;
  hash_ += k.hash * 0x9E3779B97F4A7C15ull + 1;
  if (k.count == 1) {
    k.first = k.tail = new_block(6);
    std::uint32_t* p = block(k.first);
    p[2] = k.last;
    p[3] = entry_;
    k.used = 2;
  } else if (k.count > 1) {
    std::uint32_t* p = block(k.tail);
    if (k.used == p[1]) {
      const std::uint32_t b = new_block(std::min(p[1] * 2 + 2, 1022u));
      p = block(k.tail);
      p[0] = b;
      k.tail = b;
      k.used = 0;
      p = block(b);
    }
    p[2 + k.used++] = entry_;
  }
  k.last = entry_;
  ++k.count;
}

std::uint32_t SearchCollector::new_block(std::uint32_t capacity) {
  if (page_used_ + capacity + 2 > kPage) {
    pages_.push_back(std::make_unique_for_overwrite<std::uint32_t[]>(kPage));
    page_used_ = 0;
  }
  const auto b = static_cast<std::uint32_t>((pages_.size() - 1) << 20 | page_used_);
  page_used_ += capacity + 2;
  std::uint32_t* p = block(b);
  p[0] = 0;
  p[1] = capacity;
  return b;
}

void SearchCollector::take(std::string_view token) { note(id_of(token)); }

void SearchCollector::take_japanese(char32_t first, char32_t second) {
  if (second != 0) return note(id_of_pair(first, second));
  if (first >= 0x10000) return SearchTokenSink::take_japanese(first, second);
  if (singles_.empty()) singles_.assign(0x10000, kNone);
  std::uint32_t& id = singles_[first];
  if (id == kNone) {
    char buf[4];
    id = new_token(std::string_view(buf, put_utf8(buf, first)));
  }
  note(id);
}

std::uint32_t SearchCollector::new_token(std::string_view token) {
  const auto id = static_cast<std::uint32_t>(tokens_.size());
  tokens_.emplace_back(token);
  info_.push_back(Token{stable_hash(token)});
  return id;
}

std::uint32_t SearchCollector::id_of(std::string_view token) {
  if (words_.empty() || word_count_ * 2 >= words_.size()) grow(words_);
  const std::uint64_t key = token_key(token);
  std::uint64_t prefix = 0;
  std::memcpy(&prefix, token.data(), std::min<std::size_t>(token.size(), 8));
  const auto size = static_cast<std::uint32_t>(token.size());
  const std::size_t mask = words_.size() - 1;
  std::size_t at = mix(key) & mask;
  for (; words_[at].id != kNone; at = (at + 1) & mask) {
    const WordSlot& w = words_[at];
    if (w.key == key && w.prefix == prefix && w.size == size && (size <= 8 || tokens_[w.id] == token)) return w.id;
  }
  const std::uint32_t id = new_token(token);
  words_[at] = WordSlot{key, prefix, id, size};
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

std::int64_t SearchCollector::entry_of(std::uint32_t page) const {
  const auto it = latest_.find(page);
  return it == latest_.end() ? -1 : static_cast<std::int64_t>(it->second);
}

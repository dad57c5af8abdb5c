#include "archive/search_collect.h"

#include "archive/archive_state.h"
#include "core/archive_files.h"

std::uint32_t search_page_number(std::string_view page_name) {
  if (!is_page_name(page_name)) return 0;
  std::uint32_t n = 0;
  for (std::size_t k = 1; k < 8; ++k) n = n * 10 + static_cast<std::uint32_t>(page_name[k] - '0');
  return n;
}

void SearchCollector::add(std::uint32_t page, std::string_view subject, std::string_view sender, const TextLines& lines,
                          const AttachList& attachments) {
  found_.clear();
  tokeniser_.add_sjis(subject, found_);
  tokeniser_.add_sjis(sender, found_);
  // The body as one text, so that a Japanese word wrapped onto the next line
  // stays one word.
  body_.clear();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) body_ += '\n';
    body_.append(lines[i]);
  }
  tokeniser_.add_sjis(body_, found_);
  for (std::size_t k = 1; k < attachments.size(); ++k)
    if (attachments[k]) tokeniser_.add_sjis(*attachments[k], found_);

  // Each distinct token of the message once; the hash of the set is a sum of
  // the tokens' own hashes, so that it does not depend on their order.
  const auto entry = static_cast<std::uint32_t>(entry_page_.size());
  std::size_t size = 64;
  while (size < found_.size() * 2) size *= 2;
  local_.assign(size, 0xffffffffu);
  std::uint64_t hash = 0;
  for (std::uint32_t k = 0; k < found_.size(); ++k) {
    const std::uint64_t h = stable_hash(found_[k]);
    std::size_t at = h & (size - 1);
    while (local_[at] != 0xffffffffu && found_[local_[at]] != found_[k]) at = (at + 1) & (size - 1);
    if (local_[at] != 0xffffffffu) continue;
    local_[at] = k;
    const std::uint32_t id = id_of(found_[k], h);
    postings_[id].push_back(entry);
    hash += h * 0x9E3779B97F4A7C15ull + 1;
  }
  entry_page_.push_back(page);
  entry_hash_.push_back(hash);
  latest_[page] = entry;
}

std::uint32_t SearchCollector::id_of(const std::string& token, std::uint64_t hash) {
  if (slots_.empty() || tokens_.size() * 2 >= slots_.size()) grow();
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = hash & mask;
  for (; slots_[at].id != 0xffffffffu; at = (at + 1) & mask)
    if (slots_[at].hash == hash && tokens_[slots_[at].id] == token) return slots_[at].id;
  const auto id = static_cast<std::uint32_t>(tokens_.size());
  slots_[at] = Slot{hash, id};
  tokens_.push_back(token);
  postings_.emplace_back();
  return id;
}

void SearchCollector::grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& s : old) {
    if (s.id == 0xffffffffu) continue;
    std::size_t at = s.hash & mask;
    while (slots_[at].id != 0xffffffffu) at = (at + 1) & mask;
    slots_[at] = s;
  }
}

std::int64_t SearchCollector::entry_of(std::uint32_t page) const {
  const auto it = latest_.find(page);
  return it == latest_.end() ? -1 : static_cast<std::int64_t>(it->second);
}

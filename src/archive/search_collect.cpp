#include "archive/search_collect.h"

#include <algorithm>

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
  std::sort(found_.begin(), found_.end());
  found_.erase(std::unique(found_.begin(), found_.end()), found_.end());

  const auto entry = static_cast<std::uint32_t>(entry_page_.size());
  std::uint64_t hash = stable_hash("tokens");
  for (const std::string& t : found_) {
    hash = stable_hash(std::string_view(t.data(), t.size() + 1), hash);  // the NUL ends each token
    auto [it, added] = ids_.try_emplace(t, static_cast<std::uint32_t>(tokens_.size()));
    if (added) {
      tokens_.push_back(t);
      postings_.emplace_back();
    }
    postings_[it->second].push_back(entry);
  }
  entry_page_.push_back(page);
  entry_hash_.push_back(hash);
  latest_[page] = entry;
}

std::int64_t SearchCollector::entry_of(std::uint32_t page) const {
  const auto it = latest_.find(page);
  return it == latest_.end() ? -1 : static_cast<std::int64_t>(it->second);
}

#include "run/line_lists.h"

#include <algorithm>
#include <stdexcept>

#include "codec/sjis_text.h"

namespace line_lists_detail {

bool Less::operator()(const Entry& a, const Entry& b) const {
  int c = sjis::compare_nocase(a.text, b.text);
  if (c != 0) return c < 0;
  // Lines equal but for letter case: the exact bytes decide, so that equal
  // lines always stand together.
  c = a.text.compare(b.text);
  if (c != 0) return c < 0;
  return a.seq < b.seq;
}

}  // namespace line_lists_detail

using line_lists_detail::Entry;
using line_lists_detail::Less;

void SortedLines::add(std::string line) { lines_.push_back(Entry{std::move(line), next_seq_++}); }

void SortedLines::sort() const {
  if (sorted_ == lines_.size()) return;
  auto mid = lines_.begin() + static_cast<std::ptrdiff_t>(sorted_);
  std::sort(mid, lines_.end(), Less());
  std::inplace_merge(lines_.begin(), mid, lines_.end(), Less());
  sorted_ = lines_.size();
}

const std::string& SortedLines::at(std::size_t i) const {
  sort();
  if (i >= lines_.size()) throw std::out_of_range("line list index");
  return lines_[i].text;
}

void SortedLines::remove(std::size_t i) {
  sort();
  if (i >= lines_.size()) throw std::out_of_range("line list index");
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
  sorted_ = lines_.size();
}

void SortedLines::clear() {
  lines_.clear();
  lines_.shrink_to_fit();
  sorted_ = 0;
}

std::string WorkList::id_of(const std::string& line) {
  // Field 3 of date TAB subject TAB sender TAB id TAB ...
  std::size_t p = 0;
  for (int f = 0; f < 3; ++f) {
    p = line.find('\t', p);
    if (p == std::string::npos) return {};
    ++p;
  }
  std::size_t e = line.find('\t', p);
  return line.substr(p, e == std::string::npos ? std::string::npos : e - p);
}

void WorkList::index() const {
  if (snapshot_valid_) return;
  snapshot_.clear();
  snapshot_.reserve(set_.size());
  for (auto it = set_.begin(); it != set_.end(); ++it) snapshot_.push_back(it);
  snapshot_valid_ = true;
}

void WorkList::add(std::string line) {
  std::string id = id_of(line);
  auto h = set_.insert(Entry{std::move(line), next_seq_++}).first;
  snapshot_valid_ = false;
  if (!id.empty()) by_id_[id].push_back(h);
}

const std::string& WorkList::at(std::size_t i) const {
  index();
  if (i >= snapshot_.size()) throw std::out_of_range("line list index");
  return snapshot_[i]->text;
}

void WorkList::erase(Set::const_iterator h) {
  std::string id = id_of(h->text);
  if (!id.empty()) {
    auto it = by_id_.find(id);
    if (it != by_id_.end()) {
      auto& v = it->second;
      v.erase(std::remove(v.begin(), v.end(), h), v.end());
      if (v.empty()) by_id_.erase(it);
    }
  }
  set_.erase(h);
  snapshot_valid_ = false;
}

void WorkList::remove(std::size_t i) {
  index();
  if (i >= snapshot_.size()) throw std::out_of_range("line list index");
  erase(snapshot_[i]);
}

void WorkList::clear() {
  set_.clear();
  by_id_.clear();
  snapshot_.clear();
  snapshot_valid_ = true;
}

std::optional<std::string> WorkList::take_by_id(const std::string& id) {
  if (id.empty()) return std::nullopt;
  auto it = by_id_.find(id);
  if (it == by_id_.end() || it->second.empty()) return std::nullopt;
  Set::const_iterator h =
      *std::min_element(it->second.begin(), it->second.end(),
                        [](Set::const_iterator a, Set::const_iterator b) { return Less()(*a, *b); });
  std::string line = h->text;
  erase(h);
  return line;
}

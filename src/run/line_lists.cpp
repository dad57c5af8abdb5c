#include "run/line_lists.h"

#include <algorithm>
#include <stdexcept>

#include "codec/sjis_text.h"

bool SortedLines::Less::operator()(const Entry& a, const Entry& b) const {
  int c = sjis::compare_nocase(a.text, b.text);
  if (c != 0) return c < 0;
  // Lines equal but for letter case: the exact bytes decide, so that equal
  // lines always stand together.
  c = a.text.compare(b.text);
  if (c != 0) return c < 0;
  return a.seq < b.seq;
}

SortedLines::Handle SortedLines::add(std::string line) {
  snapshot_valid_ = false;
  return set_.insert(Entry{std::move(line), next_seq_++}).first;
}

void SortedLines::index() const {
  if (snapshot_valid_) return;
  snapshot_.clear();
  snapshot_.reserve(set_.size());
  for (auto it = set_.begin(); it != set_.end(); ++it) snapshot_.push_back(it);
  snapshot_valid_ = true;
}

const std::string& SortedLines::at(std::size_t i) const {
  index();
  if (i >= snapshot_.size()) throw std::out_of_range("line list index");
  return snapshot_[i]->text;
}

void SortedLines::remove(std::size_t i) {
  index();
  if (i >= snapshot_.size()) throw std::out_of_range("line list index");
  remove(snapshot_[i]);
}

void SortedLines::remove(Handle h) {
  set_.erase(h);
  snapshot_valid_ = false;
}

void SortedLines::clear() {
  set_.clear();
  snapshot_.clear();
  snapshot_valid_ = true;
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

void WorkList::add(std::string line) {
  std::string id = id_of(line);
  auto h = lines_.add(std::move(line));
  if (!id.empty()) by_id_[id].push_back(h);
}

void WorkList::forget(SortedLines::Handle h) {
  std::string id = id_of(h->text);
  if (id.empty()) return;
  auto it = by_id_.find(id);
  if (it == by_id_.end()) return;
  auto& v = it->second;
  v.erase(std::remove(v.begin(), v.end(), h), v.end());
  if (v.empty()) by_id_.erase(it);
}

void WorkList::remove(std::size_t i) {
  // Find the handle through a walk of the index the list keeps anyway.
  const std::string& text = lines_.at(i);
  for (auto it = lines_.begin(); it != lines_.end(); ++it) {
    if (&it->text == &text) {
      forget(it);
      lines_.remove(it);
      return;
    }
  }
}

void WorkList::clear() {
  lines_.clear();
  by_id_.clear();
}

std::optional<std::string> WorkList::take_by_id(const std::string& id) {
  if (id.empty()) return std::nullopt;
  auto it = by_id_.find(id);
  if (it == by_id_.end() || it->second.empty()) return std::nullopt;
  auto& v = it->second;
  auto first = std::min_element(v.begin(), v.end(),
                                [this](SortedLines::Handle a, SortedLines::Handle b) { return lines_.less(a, b); });
  SortedLines::Handle h = *first;
  std::string line = h->text;
  v.erase(first);
  if (v.empty()) by_id_.erase(it);
  lines_.remove(h);
  return line;
}

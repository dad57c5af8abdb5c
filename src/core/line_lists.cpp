#include "core/line_lists.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "codec/sjis_text.h"

namespace line_lists_detail {

// The order of compare_nocase is the byte order of the text with the ASCII
// letters of its single-byte characters lowered (a double-byte character's
// bytes stay as they are; a shorter text that is a prefix comes first). The
// key holds the first sixteen bytes of that text, big-endian and padded with
// zero bytes, so keys that differ order their lines; equal keys leave it to
// the full comparison.
SortKey::SortKey(std::string_view text, std::uint64_t seq) : seq(seq), key{0, 0} {
  unsigned char folded[16] = {};
  const std::size_t n = text.size() < 16 ? text.size() : 16;
  for (std::size_t i = 0; i < n;) {
    const std::size_t len = sjis::char_len(text, i);
    const unsigned char c = static_cast<unsigned char>(text[i]);
    folded[i] = len == 1 && c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
    if (len == 2 && i + 1 < n) folded[i + 1] = static_cast<unsigned char>(text[i + 1]);
    i += len;
  }
  for (int w = 0; w < 2; ++w)
    for (int k = 0; k < 8; ++k) key[w] = (key[w] << 8) | folded[w * 8 + k];
}

bool less_text(std::string_view a, const SortKey& ka, std::string_view b, const SortKey& kb) {
  if (ka.key[0] != kb.key[0]) return ka.key[0] < kb.key[0];
  if (ka.key[1] != kb.key[1]) return ka.key[1] < kb.key[1];
  // Identical lines (the same sender many times over) need no folding.
  if (a == b) return ka.seq < kb.seq;
  int c = sjis::compare_nocase(a, b);
  if (c != 0) return c < 0;
  // Lines equal but for letter case: the exact bytes decide, so that equal
  // lines always stand together.
  c = a.compare(b);
  if (c != 0) return c < 0;
  return ka.seq < kb.seq;
}

}  // namespace line_lists_detail

using line_lists_detail::Entry;
using line_lists_detail::Less;
using line_lists_detail::RecordEntry;

void SortedLines::add(std::string line) { lines_.push_back(Entry{std::move(line), next_seq_++}); }

namespace {

// Sorts lines[sorted, end) and merges it into the ordered lines before it.
template <class E>
void merge_tail(std::vector<E>& lines, std::size_t sorted) {
  auto mid = lines.begin() + static_cast<std::ptrdiff_t>(sorted);
  std::sort(mid, lines.end(), Less());
  std::inplace_merge(lines.begin(), mid, lines.end(), Less());
}

}  // namespace

void SortedLines::settle() const {
  if (sorted_ == lines_.size()) return;
  merge_tail(lines_, sorted_);
  sorted_ = lines_.size();
}

const std::string& SortedLines::at(std::size_t i) const {
  settle();
  if (i >= lines_.size()) throw std::out_of_range("line list index");
  return lines_[i].text;
}

void SortedLines::remove(std::size_t i) {
  settle();
  if (i >= lines_.size()) throw std::out_of_range("line list index");
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
  sorted_ = lines_.size();
}

void SortedLines::clear() {
  lines_.clear();
  lines_.shrink_to_fit();
  sorted_ = 0;
}

void WorkList::put_id(std::size_t hash, std::size_t pos) const {
  if ((ids_used_ + 1) * 2 > ids_.size()) {
    // Grow (dropping the slots of taken lines) and put every entry back.
    std::vector<IdSlot> old;
    old.swap(ids_);
    std::size_t live = 0;
    for (const IdSlot& slot : old) live += slot.pos < kGone;
    std::size_t size = 64;
    while (size < (live + 1) * 4) size *= 2;
    ids_.assign(size, IdSlot{0, kFree});
    ids_used_ = 0;
    for (const IdSlot& slot : old)
      if (slot.pos < kGone) put_id(slot.hash, slot.pos);
  }
  const std::size_t mask = ids_.size() - 1;
  std::size_t k = hash & mask;
  while (ids_[k].pos != kFree) k = (k + 1) & mask;
  ids_[k] = IdSlot{hash, pos};
  ++ids_used_;
}

void WorkList::add(MessageRecord record) {
  const std::string_view id = record.message_id();
  if (ids_valid_ && !id.empty()) put_id(std::hash<std::string_view>()(id), lines_.size());
  lines_.push_back(RecordEntry{std::move(record), next_seq_++});
  taken_.push_back(false);
  ++live_;
}

void WorkList::settle() const {
  if (sorted_ == lines_.size()) return;
  // Drop the taken lines, counting how many of the sorted ones remain.
  std::size_t keep = 0, sorted_kept = 0;
  for (std::size_t k = 0; k < lines_.size(); ++k) {
    if (taken_[k]) continue;
    if (k < sorted_) ++sorted_kept;
    if (keep != k) lines_[keep] = std::move(lines_[k]);
    ++keep;
  }
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(keep), lines_.end());
  taken_.assign(keep, false);
  merge_tail(lines_, sorted_kept);
  sorted_ = lines_.size();
  drop_ids();
}

// The id index of a list being filled is as large as its records' entries;
// once reading sorts the list it is given back, not kept for the next take.
void WorkList::drop_ids() const {
  std::vector<IdSlot>().swap(ids_);
  ids_used_ = 0;
  ids_valid_ = false;
}

void WorkList::index_ids() const {
  if (ids_valid_) return;
  std::size_t size = 64;
  while (size < (lines_.size() + 1) * 4) size *= 2;
  ids_.assign(size, IdSlot{0, kFree});
  ids_used_ = 0;
  for (std::size_t k = 0; k < lines_.size(); ++k) {
    const std::string_view id = lines_[k].record.message_id();
    if (!taken_[k] && !id.empty()) put_id(std::hash<std::string_view>()(id), k);
  }
  ids_valid_ = true;
}

const MessageRecord& WorkList::at(std::size_t i) const {
  settle();
  if (i >= lines_.size()) throw std::out_of_range("line list index");
  return lines_[i].record;
}

void WorkList::remove(std::size_t i) {
  settle();
  if (i >= lines_.size()) throw std::out_of_range("line list index");
  taken_[i] = true;
  sorted_ = 0;  // settle() drops it on the next read
  --live_;
  ids_valid_ = false;
}

void WorkList::clear() {
  lines_.clear();
  lines_.shrink_to_fit();
  taken_.clear();
  sorted_ = 0;
  live_ = 0;
  drop_ids();
}

std::optional<MessageRecord> WorkList::take_by_id(const std::string& id) {
  if (id.empty()) return std::nullopt;
  index_ids();
  if (ids_.empty()) return std::nullopt;
  const std::size_t hash = std::hash<std::string_view>()(id);
  const std::size_t mask = ids_.size() - 1;
  std::size_t best = kFree;  // slot of the first line in list order
  for (std::size_t s = hash & mask; ids_[s].pos != kFree; s = (s + 1) & mask) {
    const std::size_t k = ids_[s].pos;
    if (k == kGone || ids_[s].hash != hash || taken_[k] || lines_[k].record.message_id() != id) continue;
    if (best == kFree || Less()(lines_[k], lines_[ids_[best].pos])) best = s;
  }
  if (best == kFree) return std::nullopt;
  const std::size_t k = ids_[best].pos;
  ids_[best].pos = kGone;
  taken_[k] = true;
  if (k < sorted_) sorted_ = 0;  // the sorted run now holds a taken line
  --live_;
  return std::move(lines_[k].record);
}

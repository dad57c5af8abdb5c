#include "archive/old_archive.h"

#include <algorithm>

#include "archive/menu_reader.h"
#include "codec/sjis_text.h"
#include "core/vb_error.h"
#include "core/workspace.h"

void OldArchive::Table::build(const std::vector<std::uint32_t>& records, std::uint64_t (*hash_of)(const MenuRecord&),
                              std::span<const MenuRecord> all) {
  hash_of_ = hash_of;
  all_ = all;
  std::size_t size = 16;
  while (size < records.size() * 2 + 2) size *= 2;
  slots_.assign(size, kNone);
  const std::size_t mask = size - 1;
  for (std::uint32_t r : records) {
    std::size_t k = hash_of(all[r]) & mask;
    while (slots_[k] != kNone) k = (k + 1) & mask;
    slots_[k] = r;
  }
}

OldArchive::OldArchive(SavedMenuIndex index, const std::string& menu_path)
    : index_(std::move(index)),
      menu_path_(menu_path),
      menu_(menu_path),
      menu_map_(menu_path, false),
      taken_(index_.records.size(), 0) {
  std::uint32_t threads = 0;
  std::vector<std::uint32_t> ids, waiting, subjects;
  ids.reserve(index_.records.size());
  for (std::uint32_t r = 0; r < index_.records.size(); ++r) {
    const MenuRecord& rec = index_.records[r];
    threads = std::max(threads, rec.thread + 1);
    if (rec.id_hash != 0) ids.push_back(r);
    // Not only roots: with subject threading a message whose In-Reply-To
    // named no message hangs under a message of its subject, and takes the
    // one that brings that id as its parent.
    if (rec.parent_hash != 0) waiting.push_back(r);
    if (rec.subject != 0) subjects.push_back(r);
  }
  changed_.assign(threads, 0);
  by_id_.build(
      ids, [](const MenuRecord& r) { return r.id_hash; }, index_.records);
  waiting_.build(
      waiting, [](const MenuRecord& r) { return r.parent_hash; }, index_.records);
  subjects_.build(
      subjects, [](const MenuRecord& r) { return std::uint64_t{r.subject}; }, index_.records);
}

MessageRecord OldArchive::line(Workspace& ws, std::uint32_t r) const {
  if (r >= index_.records.size()) throw VbError(9, "menu index names no entry");
  const MenuRecord& rec = index_.records[r];
  const std::string_view menu = menu_map_.data();
  if (rec.offset > menu.size() || rec.length > menu.size() - rec.offset)
    throw VbError(62, "menu.html shorter than its index");
  try {
    return read_menu_line(ws, menu.substr(rec.offset, rec.length));
  } catch (const VbError& e) {
    throw VbError(e.number, menu_path_ + " の " + std::to_string(rec.offset + 1) + " バイト目からの行: " + e.what());
  }
}

std::optional<MessageRecord> OldArchive::take_by_id(Workspace& ws, const std::string& id) {
  if (id.empty()) return std::nullopt;
  std::optional<MessageRecord> found;
  by_id_.each(message_id_hash(id), [&](std::uint32_t r) {
    if (found || taken_[r]) return;
    MessageRecord l = line(ws, r);
    if (l.message_id() != id) return;
    taken_[r] = 1;
    changed_[index_.records[r].thread] = 1;
    taken_senders_.push_back(l.sender_unquoted());
    found = std::move(l);
  });
  return found;
}

void OldArchive::Recall(Workspace& ws) {
  // Threads marked here whose messages have not been looked at yet: a
  // recalled message links in turn (by its parent, its id or its subject)
  // to further old threads, which must be threaded again with it.
  std::vector<std::uint32_t> fresh;
  const auto mark = [this, &fresh](std::uint32_t r) {
    if (taken_[r]) return;
    const std::uint32_t t = index_.records[r].thread;
    if (changed_[t]) return;
    changed_[t] = 1;
    fresh.push_back(t);
  };
  const auto links = [&](const MessageRecord& f) {
    // Its parent among the old messages, and old messages that wait for it.
    if (!sjis::trim(f.parent_id()).empty()) by_id_.each(message_id_hash(f.parent_id()), mark);
    if (!f.message_id().empty()) waiting_.each(message_id_hash(f.message_id()), mark);
    if (const std::uint32_t subject = subject_hash(f.subject(), ws.set)) subjects_.each(subject, mark);
  };
  // Threads changed already (by messages taken out) count as fresh too.
  for (std::uint32_t t = 0; t < changed_.size(); ++t)
    if (changed_[t]) fresh.push_back(t);
  const std::size_t n = ws.work_list.count();
  for (std::size_t i = 0; i < n; ++i) links(ws.work_list.at(i));

  // The records of each thread, by a counting sort.
  std::vector<std::uint32_t> start(changed_.size() + 1, 0), order(index_.records.size());
  for (const MenuRecord& rec : index_.records) ++start[rec.thread + 1];
  for (std::size_t t = 0; t < changed_.size(); ++t) start[t + 1] += start[t];
  {
    std::vector<std::uint32_t> at(start.begin(), start.end() - 1);
    for (std::uint32_t r = 0; r < index_.records.size(); ++r) order[at[index_.records[r].thread]++] = r;
  }
  std::vector<MessageRecord> recalled;
  while (!fresh.empty()) {
    const std::uint32_t t = fresh.back();
    fresh.pop_back();
    for (std::uint32_t k = start[t]; k < start[t + 1]; ++k) {
      const std::uint32_t r = order[k];
      if (taken_[r]) continue;
      recalled.push_back(line(ws, r));
      links(recalled.back());
    }
  }
  for (MessageRecord& l : recalled) ws.work_list.add(std::move(l));
}

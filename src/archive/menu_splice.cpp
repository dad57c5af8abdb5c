// The menu of an append run, made from the old menu and the threads that
// changed.
//
// The menu lists thread keys in order, and a key's first step names a
// message, so the menu is a sequence of blocks (keys with the same first
// step) ordered by the work_list order of that message. A thread the run did
// not change keeps its keys but for the numbering, which moves every number
// the same way, so its blocks are the old bytes in the old order. work_list
// holds exactly the messages of the changed threads and the new ones; their
// keys, threaded among themselves, give the new blocks, each of which goes
// before the first old block whose message comes after its own. Only the
// empty line before a root entry depends on the neighbours: it stands before
// every root but the menu's first.

#include "archive/menu_splice.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "archive/menu_entry.h"
#include "archive/old_archive.h"
#include "archive/removed_messages.h"
#include "codec/sjis_text.h"
#include "core/line_lists.h"
#include "core/vb_error.h"
#include "core/workspace.h"

namespace {

constexpr std::uint32_t kNone = 0xffffffffu;
constexpr std::size_t kOldBlock = static_cast<std::size_t>(-1);

// A block drawn anew: its lines (no empty line before the first), and for
// each entry its message number and offset within text.
struct NewBlock {
  std::string text;
  std::size_t first_step = 0;
  bool root_first = false;
  std::vector<std::size_t> numbers;
  std::vector<std::uint64_t> offsets;
  std::vector<std::uint32_t> lengths;
  std::size_t before = 0;  // the old block it goes before
};

std::vector<NewBlock> draw_blocks(Workspace& ws) {
  std::vector<NewBlock> blocks;
  std::string entry;
  for (std::size_t k = 0; k < ws.syo_list.count(); ++k) {
    const ThreadLine t = ws.syo_list.at(k);
    if (blocks.empty() || blocks.back().first_step != t.first_step) {
      blocks.emplace_back();
      blocks.back().first_step = t.first_step;
      blocks.back().root_first = t.depth == 0;
    }
    NewBlock& b = blocks.back();
    menu_entry(entry, ws.work_list.at(t.number), t.depth, ws.set, is_removed(ws, ws.work_list.at(t.number)));
    b.numbers.push_back(t.number);
    b.offsets.push_back(b.text.size());
    b.lengths.push_back(static_cast<std::uint32_t>(entry.size()));
    b.text += entry;
    b.text += "\r\n";
  }
  return blocks;
}

// For each new block, the first old block whose message comes after the new
// block's message in work_list order (the old blocks are in that order).
void place_blocks(Workspace& ws, const OldArchive& old, std::vector<NewBlock>& blocks) {
  using Entry = line_lists_detail::RecordEntry;
  using line_lists_detail::Less;
  const std::span<const MenuBlock> olds = old.index().blocks;
  std::vector<std::optional<Entry>> lines(olds.size());
  const auto old_line = [&](std::size_t b) -> const Entry& {
    if (!lines[b]) lines[b].emplace(old.line(ws, olds[b].first_step), 0);
    return *lines[b];
  };
  std::size_t low_bound = 0;
  for (NewBlock& nb : blocks) {
    const Entry mine(ws.work_list.at(nb.first_step), 1);
    // New blocks come in work_list order too: search only after the last one.
    std::size_t lo = low_bound, hi = olds.size();
    while (lo < hi) {
      const std::size_t mid = lo + (hi - lo) / 2;
      if (Less()(old_line(mid), mine))
        lo = mid + 1;
      else
        hi = mid;
    }
    nb.before = low_bound = lo;
  }
}

// The new menu's entries and index, written block by block: new blocks
// drawn by this run and runs of old blocks copied as they stand.
class Splice {
 public:
  Splice(Workspace& ws, const OldArchive& old, AtomicOut& out, std::vector<std::uint32_t> thread,
         std::size_t new_blocks)
      : ws_(ws),
        old_(old),
        was_(old.index()),
        out_(out),
        thread_(std::move(thread)),
        new_of_old_(was_.records.size(), kNone),
        new_of_number_(ws.work_list.count(), kNone) {
    // Threads of old blocks keep their numbers; new threads are numbered
    // after them. Numbers are made dense at the end.
    for (const MenuRecord& r : was_.records) next_thread_ = std::max(next_thread_, r.thread + 1);
    index_.records.reserve(was_.records.size() + ws.work_list.count());
    index_.blocks.reserve(was_.blocks.size() + new_blocks);
  }

  void put_new(const NewBlock& nb);
  // Old blocks [from, to), which follow one another, copied in one go.
  void copy_old(std::size_t from, std::size_t to);
  MenuIndex finish();

 private:
  // The empty line before a root entry, but the menu's first.
  void separate(bool root_first) {
    if (root_first && !first_entry_) out_.end_line();
    first_entry_ = false;
  }

  Workspace& ws_;
  const OldArchive& old_;
  const SavedMenuIndex& was_;
  AtomicOut& out_;
  const std::vector<std::uint32_t> thread_;  // of each message of work_list
  MenuIndex index_;
  std::vector<std::uint32_t> new_of_old_, new_of_number_;
  std::vector<std::size_t> new_first_steps_;  // per block: the number of its message, or kOldBlock
  std::uint32_t next_thread_ = 0;
  bool first_entry_ = true;
};

void Splice::put_new(const NewBlock& nb) {
  separate(nb.root_first);
  const std::uint64_t start = static_cast<std::uint64_t>(out_.size());
  const std::uint32_t first = static_cast<std::uint32_t>(index_.records.size());
  for (std::size_t e = 0; e < nb.numbers.size(); ++e) {
    const MessageRecord& f = ws_.work_list.at(nb.numbers[e]);
    new_of_number_[nb.numbers[e]] = static_cast<std::uint32_t>(index_.records.size());
    index_.records.push_back(MenuRecord{f.message_id().empty() ? 0 : message_id_hash(f.message_id()),
                                        sjis::trim(f.parent_id()).empty() ? 0 : message_id_hash(f.parent_id()),
                                        start + nb.offsets[e], nb.lengths[e], next_thread_ + thread_[nb.numbers[e]],
                                        e == 0 && nb.root_first ? 1u : 0u, subject_hash(f.subject(), ws_.set)});
  }
  out_.part(nb.text);
  index_.blocks.push_back(MenuBlock{start, static_cast<std::uint64_t>(out_.size()), first,
                                    static_cast<std::uint32_t>(index_.records.size()), kNone, nb.root_first ? 1u : 0u});
  new_first_steps_.push_back(nb.first_step);
}

void Splice::copy_old(std::size_t from_block, std::size_t to_block) {
  if (from_block == to_block) return;
  separate(was_.blocks[from_block].root_first != 0);
  const std::uint64_t from = was_.blocks[from_block].start;
  const std::uint64_t to = was_.blocks[to_block - 1].end;
  const std::int64_t shift = static_cast<std::int64_t>(out_.size()) - static_cast<std::int64_t>(from);
  const auto moved = [shift](std::uint64_t at) {
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(at) + shift);
  };
  for (std::size_t b = from_block; b < to_block; ++b) {
    const MenuBlock& ob = was_.blocks[b];
    const std::uint32_t first = static_cast<std::uint32_t>(index_.records.size());
    for (std::uint32_t r = ob.first; r < ob.last; ++r) {
      MenuRecord rec = was_.records[r];
      rec.offset = moved(rec.offset);
      new_of_old_[r] = static_cast<std::uint32_t>(index_.records.size());
      index_.records.push_back(rec);
    }
    index_.blocks.push_back(MenuBlock{moved(ob.start), moved(ob.end), first,
                                      static_cast<std::uint32_t>(index_.records.size()), ob.first_step, ob.root_first});
    new_first_steps_.push_back(kOldBlock);
  }
  out_.copy_from(old_.menu_fd(), static_cast<long long>(from), static_cast<long long>(to - from));
}

MenuIndex Splice::finish() {
  // The record each block's keys start with, now that all have theirs.
  for (std::size_t b = 0; b < index_.blocks.size(); ++b) {
    MenuBlock& mb = index_.blocks[b];
    const std::uint32_t r =
        new_first_steps_[b] == kOldBlock ? new_of_old_.at(mb.first_step) : new_of_number_.at(new_first_steps_[b]);
    if (r == kNone) throw VbError(5, "menu block without its first message");
    mb.first_step = r;
  }
  // Dense thread numbers, in order of first appearance.
  std::vector<std::uint32_t> dense(
      next_thread_ + (thread_.empty() ? 0 : *std::max_element(thread_.begin(), thread_.end()) + 1), kNone);
  std::uint32_t count = 0;
  for (MenuRecord& r : index_.records) {
    if (dense[r.thread] == kNone) dense[r.thread] = count++;
    r.thread = dense[r.thread];
  }
  return std::move(index_);
}

}  // namespace

MenuIndex write_spliced(Workspace& ws, const OldArchive& old, AtomicOut& out) {
  ws.syo_list.settle();
  ws.work_list.settle();
  const SavedMenuIndex& was = old.index();
  std::vector<NewBlock> blocks = draw_blocks(ws);
  place_blocks(ws, old, blocks);
  Splice splice(ws, old, out, thread_numbers(ws.syo_list, ws.work_list.count()), blocks.size());

  // Old blocks of threads that did not change are copied in runs
  // [run_from, run_to); new blocks go before the old block they precede.
  std::size_t run_from = 0, run_to = 0, next_new = 0;
  for (std::size_t b = 0; b <= was.blocks.size(); ++b) {
    while (next_new < blocks.size() && blocks[next_new].before == b) {
      splice.copy_old(run_from, run_to);
      run_from = run_to;
      splice.put_new(blocks[next_new++]);
    }
    if (b == was.blocks.size()) break;
    if (old.changed(was.records[was.blocks[b].first].thread)) {
      splice.copy_old(run_from, run_to);
      run_from = run_to = b + 1;
      continue;
    }
    if (run_from == run_to) run_from = b;
    run_to = b + 1;
  }
  splice.copy_old(run_from, run_to);
  return splice.finish();
}

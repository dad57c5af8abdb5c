// The thread order: one syo_list key per message (core/thread_keys.h).
//
// A message's number is its position in work_list. Its key is its parent's
// key followed by its own step "Z" + 7 digits; a message without a parent is
// a root with the key of its own step. Messages are placed in number order:
//
// - The parent by reply is the first message (in work_list order, the
//   message itself excepted) whose Message-ID equals the In-Reply-To.
// - Otherwise, with subject threading on, the parent by subject is the last
//   earlier message with the same reduced subject (Trim_Subj), unless the
//   reduced subject occurs in the excluded titles (an empty one always does).
//   Such a message hangs directly under the root of its parent's thread.
// - A reply whose parent comes later (it is older than its parent) takes a
//   key under the parent's own step for now; when the parent is placed, every
//   key that starts with the parent's step gets the parent's path put in
//   front, so the whole subtree moves under the parent's position.
// - A message whose parent's path starts with the message's own step (the
//   parent waits for it, as two messages that name each other do) is placed
//   as the root of that thread: no message becomes its own ancestor, and
//   every thread has a root line.
//
// Keys are built in memory: the parent lookups go through hash tables, and
// the keys waiting for a message are kept in buckets by their first step, so the
// whole order costs time near linear in the number of messages (and in the
// length of the keys written).

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "archive/menu_page.h"
#include "codec/sjis_text.h"
#include "core/common_text.h"
#include "core/vb_error.h"
#include "core/workspace.h"

namespace {

// Numbers have seven digits in keys and page names.
constexpr std::size_t kMaxMessages = 10000000;
constexpr std::size_t kStep = ThreadKeys::kStep;

std::string Step(std::size_t number) { return ThreadKeys::Step(number); }

// The message number named by the first step of a key.
std::size_t first_step(const std::string& key) {
  return static_cast<std::size_t>(sjis::parse_digits(std::string_view(key).substr(1, 7)));
}

// The first two message numbers that carry an id; the second one stands in
// when the first is the message asking. Numbers fit 32 bits (kMaxMessages).
struct IdHolders {
  std::uint32_t first;
  std::uint32_t second;
};
constexpr std::size_t kNone = static_cast<std::size_t>(-1);
constexpr std::uint32_t kNobody = static_cast<std::uint32_t>(-1);

// Message numbers in buckets 0 .. n-1, each number in one bucket at a time:
// singly linked lists in three arrays, so moving a whole bucket into
// another costs nothing and no bucket allocates.
class Buckets {
 public:
  explicit Buckets(std::size_t n) : head_(n, kNobody), tail_(n, kNobody), next_(n, kNobody) {}
  void push(std::size_t bucket, std::size_t item) {
    const auto it = static_cast<std::uint32_t>(item);
    next_[item] = kNobody;
    if (head_[bucket] == kNobody)
      head_[bucket] = it;
    else
      next_[tail_[bucket]] = it;
    tail_[bucket] = it;
  }
  std::size_t first(std::size_t bucket) const { return number(head_[bucket]); }
  std::size_t next(std::size_t item) const { return number(next_[item]); }
  // Appends bucket from to bucket into and empties from.
  void move_all(std::size_t from, std::size_t into) {
    if (head_[from] == kNobody) return;
    if (head_[into] == kNobody)
      head_[into] = head_[from];
    else
      next_[tail_[into]] = head_[from];
    tail_[into] = tail_[from];
    head_[from] = tail_[from] = kNobody;
  }

 private:
  static std::size_t number(std::uint32_t item) { return item == kNobody ? kNone : item; }
  std::vector<std::uint32_t> head_, tail_, next_;  // numbers fit 32 bits (kMaxMessages)
};

// Message id -> IdHolders: an open-addressed table, linear probing, at
// most half full. A slot keeps only the numbers and a tag of the id's hash;
// the id it stands for is that of its first holder in work_list, which does
// not change while the order is built, and is read only where the tags agree
// (a record read for each probe costs a cache miss in a long list).
class IdTable {
 public:
  IdTable(const WorkList& list, std::size_t n) : list_(list) {
    std::size_t size = 16;
    while (size < n * 2 + 2) size *= 2;
    slots_.assign(size, Slot{{kNobody, kNobody}, 0});
  }
  // The holders of id, added with first = i when new.
  IdHolders& at(std::string_view id, std::size_t i) {
    Slot& slot = find(id);
    if (slot.holders.first == kNobody) slot.holders.first = static_cast<std::uint32_t>(i);
    return slot.holders;
  }
  const IdHolders* get(std::string_view id) {
    const Slot& slot = find(id);
    return slot.holders.first == kNobody ? nullptr : &slot.holders;
  }

 private:
  struct Slot {
    IdHolders holders;
    std::uint32_t tag;
  };
  // The id's slot; a free slot takes the id's tag (its holder comes next).
  Slot& find(std::string_view id) {
    const std::size_t mask = slots_.size() - 1;
    const std::size_t hash = std::hash<std::string_view>()(id);
    const auto tag = static_cast<std::uint32_t>(static_cast<std::uint64_t>(hash) >> 32);
    std::size_t k = hash & mask;
    for (; slots_[k].holders.first != kNobody; k = (k + 1) & mask)
      if (slots_[k].tag == tag && list_.at(slots_[k].holders.first).message_id() == id) return slots_[k];
    slots_[k].tag = tag;
    return slots_[k];
  }
  const WorkList& list_;
  std::vector<Slot> slots_;
};

// Sets ws.Ids_Unique.
IdTable read_ids(Workspace& ws, std::size_t n) {
  IdTable by_id(ws.work_list, n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string_view id = ws.work_list.at(i).message_id();
    IdHolders& holders = by_id.at(id, i);
    if (holders.first != i && !id.empty()) ws.Ids_Unique = false;
    if (holders.first != i && holders.second == kNobody) holders.second = static_cast<std::uint32_t>(i);
  }
  return by_id;
}

struct Parent {
  std::size_t number = kNone;
  bool by_subject = false;
};

// The parent of message i, by reply or else by subject; last_by_subject
// learns message i's reduced subject.
Parent parent_of(std::size_t i, const Settings& set, const MessageRecord& f, IdTable& by_id,
                 std::unordered_map<std::string, std::size_t>& last_by_subject) {
  Parent p;
  if (!sjis::trim(f.parent_id()).empty()) {
    if (const IdHolders* h = by_id.get(f.parent_id())) {
      const std::uint32_t other = h->first != i ? h->first : h->second;
      if (other != kNobody) p.number = other;
    }
  }
  if (set.S_TITLE) {
    std::string reduced(f.subject());
    Trim_Subj(reduced);
    if (p.number == kNone && !sjis::contains(set.TITLE_D, reduced)) {
      auto it = last_by_subject.find(reduced);
      if (it != last_by_subject.end()) p = Parent{it->second, true};
    }
    last_by_subject[std::move(reduced)] = i;
  }
  return p;
}

// Gives message i its key under parent p; keys that waited for it move
// under its path.
void Place(std::size_t i, const Parent& p, std::vector<std::string>& keys, Buckets& waiting) {
  // The parent's key once it is placed (always so for a parent by subject,
  // which comes earlier), else its bare step.
  std::string path;
  if (p.number != kNone) {
    path = keys[p.number].empty() ? Step(p.number) : keys[p.number];
    if (p.by_subject) path.resize(kStep);
  }
  // A path that starts with this message's own step leads back to it: the
  // parent already hangs in this message's thread (it waits for this message
  // through a chain of replies). The message is that thread's root, instead
  // of becoming its own ancestor with no root line drawn.
  if (p.number == kNone || first_step(path) == i) {
    keys[i] = Step(i);
    waiting.push(i, i);
    return;
  }
  keys[i] = path + Step(i);
  const std::size_t root = first_step(path);
  waiting.push(root, i);
  for (std::size_t m = waiting.first(i); m != kNone; m = waiting.next(m)) keys[m].insert(0, path);
  waiting.move_all(i, root);
}

// The key of every message, by number. The tables that placing needs are
// given back before the keys go into syo_list.
std::vector<std::string> place_all(Workspace& ws, std::size_t n) {
  IdTable by_id = read_ids(ws, n);
  std::vector<std::string> keys(n);  // empty until placed
  Buckets waiting(n);                // placed numbers by first step
  std::unordered_map<std::string, std::size_t> last_by_subject;
  for (std::size_t i = 0; i < n; ++i) {
    ws.Syosai_no(static_cast<std::int64_t>(i + 1), static_cast<std::int64_t>(n));
    Place(i, parent_of(i, ws.set, ws.work_list.at(i), by_id, last_by_subject), keys, waiting);
  }
  return keys;
}

}  // namespace

bool Syosai_Make(Workspace& ws) {
  try {
    ws.syo_list.clear();
    ws.syo_list_w.clear();
    ws.Ids_Unique = true;
    const std::size_t n = ws.work_list.count();
    if (n > kMaxMessages) throw VbError(6, "more messages than seven-digit numbers can name");
    ws.Syosai_no(0, static_cast<std::int64_t>(n));

    std::vector<std::string> keys = place_all(ws, n);
    std::size_t bytes = 0;
    for (const std::string& key : keys) bytes += key.size();
    ws.syo_list.reserve(n, bytes);
    for (std::size_t i = 0; i < n; ++i) {
      ws.syo_list.add(keys[i], static_cast<std::uint32_t>(i));
      std::string().swap(keys[i]);  // given back as the list takes it
    }
    return true;
  } catch (const std::exception& e) {
    ws.report_error("Syosai_Make", e);
  } catch (...) {
    ws.report_error("Syosai_Make", 5);
  }
  return false;
}

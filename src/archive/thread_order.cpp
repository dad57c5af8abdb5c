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
// when the first is the message asking.
struct IdHolders {
  std::size_t first;
  std::size_t second;
};
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Message numbers in buckets 0 .. n-1, each number in one bucket at a time:
// singly linked lists in three arrays, so moving a whole bucket into
// another costs nothing and no bucket allocates.
class Buckets {
 public:
  explicit Buckets(std::size_t n) : head_(n, kNone), tail_(n, kNone), next_(n, kNone) {}
  void push(std::size_t bucket, std::size_t item) {
    next_[item] = kNone;
    if (head_[bucket] == kNone)
      head_[bucket] = item;
    else
      next_[tail_[bucket]] = item;
    tail_[bucket] = item;
  }
  std::size_t first(std::size_t bucket) const { return head_[bucket]; }
  std::size_t next(std::size_t item) const { return next_[item]; }
  // Appends bucket from to bucket into and empties from.
  void move_all(std::size_t from, std::size_t into) {
    if (head_[from] == kNone) return;
    if (head_[into] == kNone)
      head_[into] = head_[from];
    else
      next_[tail_[into]] = head_[from];
    tail_[into] = tail_[from];
    head_[from] = tail_[from] = kNone;
  }

 private:
  std::vector<std::size_t> head_, tail_, next_;
};

// Message id -> IdHolders, for ids that stay in place (views into
// work_list): an open-addressed table, linear probing, at most half full.
class IdTable {
 public:
  explicit IdTable(std::size_t n) {
    std::size_t size = 16;
    while (size < n * 2 + 2) size *= 2;
    slots_.assign(size, Slot{{}, {kNone, kNone}});
  }
  // The holders of id, added with first = i when new.
  IdHolders& at(std::string_view id, std::size_t i) {
    Slot& slot = find(id);
    if (slot.holders.first == kNone) slot = Slot{id, {i, kNone}};
    return slot.holders;
  }
  const IdHolders* get(std::string_view id) {
    const Slot& slot = find(id);
    return slot.holders.first == kNone ? nullptr : &slot.holders;
  }

 private:
  struct Slot {
    std::string_view id;
    IdHolders holders;
  };
  Slot& find(std::string_view id) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t k = std::hash<std::string_view>()(id) & mask;
    while (slots_[k].holders.first != kNone && slots_[k].id != id) k = (k + 1) & mask;
    return slots_[k];
  }
  std::vector<Slot> slots_;
};

// What threading needs of work_list: views into its records, which stay in
// place while it is not changed, and the holders of each Message-ID.
struct ListViews {
  explicit ListViews(std::size_t n) : subjects(n), parent_ids(n), by_id(n) {}
  std::vector<std::string_view> subjects, parent_ids;
  IdTable by_id;
};

// Sets ws.Ids_Unique.
ListViews read_list(Workspace& ws, std::size_t n) {
  ListViews v(n);
  for (std::size_t i = 0; i < n; ++i) {
    const MessageRecord& f = ws.work_list.at(i);
    IdHolders& holders = v.by_id.at(f.message_id(), i);
    if (holders.first != i && !f.message_id().empty()) ws.Ids_Unique = false;
    if (holders.first != i && holders.second == kNone) holders.second = i;
    v.subjects[i] = f.subject();
    v.parent_ids[i] = f.parent_id();
  }
  return v;
}

struct Parent {
  std::size_t number = kNone;
  bool by_subject = false;
};

// The parent of message i, by reply or else by subject; last_by_subject
// learns message i's reduced subject.
Parent parent_of(std::size_t i, const Settings& set, ListViews& v,
                 std::unordered_map<std::string, std::size_t>& last_by_subject) {
  Parent p;
  if (!sjis::trim(v.parent_ids[i]).empty()) {
    if (const IdHolders* h = v.by_id.get(v.parent_ids[i])) p.number = h->first != i ? h->first : h->second;
  }
  if (set.S_TITLE) {
    std::string reduced(v.subjects[i]);
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

}  // namespace

bool Syosai_Make(Workspace& ws) {
  try {
    ws.syo_list.clear();
    ws.syo_list_w.clear();
    ws.Ids_Unique = true;
    const std::size_t n = ws.work_list.count();
    if (n > kMaxMessages) throw VbError(6, "more messages than seven-digit numbers can name");
    ws.Syosai_no(0, static_cast<std::int64_t>(n));

    ListViews views = read_list(ws, n);
    std::vector<std::string> keys(n);  // empty until placed
    Buckets waiting(n);                // placed numbers by first step
    std::unordered_map<std::string, std::size_t> last_by_subject;
    for (std::size_t i = 0; i < n; ++i) {
      ws.Syosai_no(static_cast<std::int64_t>(i + 1), static_cast<std::int64_t>(n));
      Place(i, parent_of(i, ws.set, views, last_by_subject), keys, waiting);
    }

    ws.syo_list.reserve(n);
    for (std::size_t i = 0; i < n; ++i) ws.syo_list.add(std::move(keys[i]), static_cast<std::uint32_t>(i));
    return true;
  } catch (const std::exception& e) {
    ws.report_error("Syosai_Make", e);
  } catch (...) {
    ws.report_error("Syosai_Make", 5);
  }
  return false;
}

// The archive an append run adds to, seen through the index of its menu.
//
// With an index, an append run does not read the old menu whole. work_list
// holds the new messages and, once the mailboxes are read, the old messages
// of every thread that the new ones change (Recall); the rest of the old
// menu is copied block by block when the new one is written. A thread
// changes when a new message replies to one of its messages, when one of
// its messages names a new message as its parent (a root, or with subject
// threading one that hangs under a message of its subject because its
// In-Reply-To named no message), when a new message takes over one of
// its entries (a re-sent message), or, with subject threading, when a new
// message has the reduced subject of one of its messages (a message hangs
// under the root of the last earlier one with its subject, so within that
// one's thread, and the new one may take that place for a later one).
// Hashes only pick candidates: a thread
// recalled in vain is threaded again to the same keys, so a collision costs
// time, never a different menu.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "archive/menu_index.h"
#include "core/file_read.h"
#include "core/message_record.h"

struct Workspace;

class OldArchive {
 public:
  OldArchive(SavedMenuIndex index, const std::string& menu_path);

  const SavedMenuIndex& index() const { return index_; }
  int menu_fd() const { return menu_.fd(); }
  // The record of entry r, as reading the whole menu would give it.
  MessageRecord line(Workspace& ws, std::uint32_t r) const;
  // Takes the old message whose Message-ID is id out of the archive, for a
  // new message that replaces it; its thread changes.
  std::optional<MessageRecord> take_by_id(Workspace& ws, const std::string& id);
  // Adds to work_list every old message of the threads the new messages in
  // work_list change.
  void Recall(Workspace& ws);
  bool changed(std::uint32_t thread) const { return thread < changed_.size() && changed_[thread]; }
  bool taken(std::uint32_t r) const { return taken_[r] != 0; }
  // Senders of the old messages taken out (their counts drop).
  const std::vector<std::string>& taken_senders() const { return taken_senders_; }

 private:
  // Records by a hash they hold (hash_of), open addressing with linear
  // probing, at most half full; a slot holds only the record's number.
  class Table {
   public:
    void build(const std::vector<std::uint32_t>& records, std::uint64_t (*hash_of)(const MenuRecord&),
               std::span<const MenuRecord> all);
    template <class F>
    void each(std::uint64_t hash, F f) const {
      if (slots_.empty()) return;
      const std::size_t mask = slots_.size() - 1;
      for (std::size_t k = hash & mask; slots_[k] != kNone; k = (k + 1) & mask)
        if (hash_of_(all_[slots_[k]]) == hash) f(slots_[k]);
    }

   private:
    static constexpr std::uint32_t kNone = 0xffffffffu;
    std::vector<std::uint32_t> slots_;
    std::uint64_t (*hash_of_)(const MenuRecord&) = nullptr;
    std::span<const MenuRecord> all_;
  };

  SavedMenuIndex index_;
  std::string menu_path_;
  ReadOnlyFile menu_;          // copied from by blocks
  MappedFile menu_map_;        // read from by entries, as few or as many as needed
  std::vector<char> taken_;    // by record
  std::vector<char> changed_;  // by thread number
  std::vector<std::string> taken_senders_;
  Table by_id_;     // every record with a Message-ID
  Table waiting_;   // records with an In-Reply-To (it may have named no message)
  Table subjects_;  // records with a subject that links messages
};

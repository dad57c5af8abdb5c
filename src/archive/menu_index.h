// The index of menu.html that lets an append run leave the old menu's
// threads where they are.
//
// menu.html is the archive's message list. Reading it back costs a pass over
// every entry, and threading and drawing the whole list again costs two
// more, although a night's few hundred messages touch a handful of threads.
// The index records, for every entry of the menu as written, where its line
// stands and what threading needs of it (hashes of its Message-ID,
// In-Reply-To and subject, whether it is a root, its thread), and the menu's
// blocks: the runs of entries whose thread keys share their first step. An
// append run reads only the entries it needs from the old menu, threads the
// new messages with the threads they join, and copies every other block of
// the old menu as it stands.
//
// The index is the hidden file ".vorn_htm.index" beside menu.html. Like the
// archive state it is taken away when a run reads it and written anew only
// when a run has finished, and it counts only while menu.html has the size,
// modification time, change time and inode recorded in it (an edit that
// keeps the size and sets the modification time back still moves the
// change time) and the settings that shape the menu are the same. Any doubt means a run reads menu.html whole, as it
// always could: the index never holds anything menu.html does not.
//
// File format: a fixed header (a magic text, the format number, the record
// sizes, the menu's stamp, the settings key, the highest page number, the
// counts), the records, the blocks, the sender counts as text lines
// "count TAB sender" (only when the ranking is on), and a hash of all that.
// Numbers are in the machine's byte order; an index from a machine of
// another kind fails its header check and counts as none.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/file_info.h"
#include "core/file_read.h"

struct Settings;

// One entry of the menu, in menu order.
struct MenuRecord {
  std::uint64_t id_hash;      // message_id_hash of its Message-ID; 0 for none
  std::uint64_t parent_hash;  // of its In-Reply-To; 0 when that is blank
  std::uint64_t offset;       // where its line starts (tree marks included)
  std::uint32_t length;       // of the line, without CR LF
  std::uint32_t thread;       // messages linked by replies or subjects share it
  std::uint32_t root;         // 1 when it has no parent
  std::uint32_t subject;      // with subject threading: subject_hash, else 0
};

// A run of entries whose keys share their first step. Only its first entry
// can be a root (depth 0), and only then does an empty line stand before it.
struct MenuBlock {
  std::uint64_t start;  // of its first entry's line, after the empty line
  std::uint64_t end;    // after the CR LF of its last line
  std::uint32_t first;  // records [first, last)
  std::uint32_t last;
  std::uint32_t first_step;  // the record of the message its keys start with
  std::uint32_t root_first;  // 1 when its first entry is a root
};

// An index as a run makes it.
struct MenuIndex {
  FileStamp menu;
  std::uint64_t settings = 0;
  std::int64_t mail_no = 0;
  std::vector<MenuRecord> records;
  std::vector<MenuBlock> blocks;
  bool ranked = false;  // senders holds the count of every sender
  std::vector<std::pair<std::string, long long>> senders;
};

// An index as the last run left it: the file mapped into memory and read in
// place, so that taking it costs no copy of its records.
struct SavedMenuIndex {
  FileStamp menu;
  std::uint64_t settings = 0;
  std::int64_t mail_no = 0;
  std::span<const MenuRecord> records;
  std::span<const MenuBlock> blocks;
  bool ranked = false;
  std::vector<std::pair<std::string, long long>> senders;
  std::shared_ptr<const MappedFile> file;  // holds records and blocks
};

// A hash of every setting that shapes menu.html, the page style and the
// threading; an index written under other settings does not count.
std::uint64_t menu_settings_key(const Settings& set);
// The hash an index keeps of a Message-ID or In-Reply-To; never 0.
std::uint64_t message_id_hash(std::string_view id);
// The hash an index keeps of a subject with subject threading on: 0 when the
// subject never links messages (its reduced form occurs in the excluded
// titles, as an empty one always does), else that of the reduced form.
std::uint32_t subject_hash(std::string_view subject, const Settings& set);

// Reads the index of folder and removes the file. Nothing when there is none,
// when it is unreadable, or when menu.html or the settings changed since.
std::optional<SavedMenuIndex> take_menu_index(const std::string& folder, const Settings& set);
// Removes the index of folder, if any. Throws VbError.
void drop_menu_index(const std::string& folder);
// Writes the index of folder's menu.html as it is now. Throws VbError.
void save_menu_index(const std::string& folder, MenuIndex& index);

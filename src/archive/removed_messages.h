// Messages taken out of an archive for good.
//
// A removed message keeps its page file, so that links and bookmarks still
// lead somewhere, but the page shows only a notice; the files it saved are
// deleted unless another page links them. Its menu entry stays where it
// stands in the thread tree (its replies keep their place) and shows only
// the notice; the entry's comment keeps the Message-ID, the parent id and the
// date, which orders the message list and so the tree, and nothing else. The
// ranking and the thread lists of the other pages leave it out.
//
// Its Message-ID goes into the hidden file ".vorn_htm.removed" of the
// archive, which every run reads: a message that brings such an id is
// skipped, by an append and by a rebuild alike (a rebuild keeps the file).
// File format: Shift_JIS text, CR LF, one Message-ID a line, sorted, no
// empty lines.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/message_record.h"

struct Settings;
struct Workspace;

// The ids of folder's removed list; none when there is no list. Throws
// VbError when it cannot be read.
std::unordered_set<std::string> load_removed(const std::string& folder);
// Writes the list of folder whole (replacing it at once). Throws VbError.
void save_removed(const std::string& folder, const std::unordered_set<std::string>& ids);

// Whether the record is that of a removed message.
bool is_removed(const Workspace& ws, const MessageRecord& f);
// The record a removed message keeps: its date, Message-ID, parent id, page
// and origin; no subject, no sender.
MessageRecord removed_record(const MessageRecord& f);

// The visible text of a removed message's menu entry (Shift_JIS).
const std::string& removed_entry_text();
// The page a removed message keeps, in the colours of set.
std::string removed_page(const Settings& set);

// The saved files a page links (its attachment links), as their names in
// the folder; a name that could lead out of the folder is left out.
std::vector<std::string> linked_files(std::string_view page);

// Turns the pages of folder named in pages into removed pages: first deletes
// every file they link that no other page of the folder links, then writes
// the notice over each page. A page that is missing is written anew; a file
// already gone is skipped. Throws VbError.
void remove_pages(const std::string& folder, const std::vector<std::string>& pages, const Settings& set);

// Pieces of menu.html shared by the writer of the whole menu and the writer
// that splices new threads into an old one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/atomic_out.h"
#include "core/line_lists.h"
#include "core/message_record.h"
#include "core/settings.h"
#include "core/thread_keys.h"

// One entry line of the list into line (cleared first), without CR LF. The
// entry of a removed message (removed_messages.h) shows only the notice and
// keeps in its comment only what the list's order and tree need.
void menu_entry(std::string& line, const MessageRecord& f, std::size_t depth, const Settings& set,
                bool removed = false);

// The lines before the first entry and after the last.
void menu_head(AtomicOut& out, const Settings& set);
void menu_tail(AtomicOut& out);

// For each message number below n, a number shared by exactly the messages
// that the keys of syo_list link (every step of a key names a message linked
// to the key's own by replies or subjects): its thread, counted from 0.
std::vector<std::uint32_t> thread_numbers(const ThreadKeys& syo_list, std::size_t n);

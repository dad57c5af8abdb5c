// Reading the text of message pages already written back into the search
// index: the messages of an archive whose pages were written while the index
// was off, and pages that a stopped run wrote before its index was saved.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/attach_list.h"
#include "core/message_record.h"
#include "core/text_lines.h"

class SearchCollector;
struct Workspace;

// What a message page shows as text, markup taken away and references to
// "<", ">" and "&" read back (Shift_JIS).
struct PageText {
  // From the page's header block, when it shows one.
  std::optional<std::string> subject, sender;
  // The body lines, as the page shows them; not the links to the page's
  // neighbours, not its thread list.
  TextLines lines;
  // attachments[0] is a placeholder; the names of the files the page links follow.
  AttachList attachments;
};

// The text of page (the bytes of a message page as this program writes it,
// also after the thread lists, the links and a restyle changed it); nothing
// when the bytes are no such page.
std::optional<PageText> read_page_text(std::string_view page);

// Adds to c every page of folder that the menu lists and c does not hold yet
// (all of them), or only those of the numbers given (those that the menu
// lists and exist), read from their files; returns their menu entries. A
// page that cannot be read is passed over. Throws VbError when the menu
// cannot be read.
std::vector<MessageRecord> add_written_pages(Workspace& ws, SearchCollector& c, const std::string& folder,
                                             std::optional<std::span<const std::uint32_t>> only);

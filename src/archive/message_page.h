// Message pages "m" + 7 digits + ".htm".
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/attach_list.h"
#include "core/text_lines.h"

class PageWriter;
struct Settings;
struct Workspace;

// What a message page shows: its body lines as collected from the mailbox
// (out_buf), the header values and the saved attachments (attachments[0] is
// a placeholder; the saved names follow it).
struct PageContent {
  TextLines lines;
  std::string subject, date, sender;
  AttachList attachments;
};

// The bytes of a message page (render_page_to: in out, replacing what it
// held and reusing its room).
std::string render_page(const Settings& set, const PageContent& page);
void render_page_to(std::string& out, const Settings& set, const PageContent& page);

// Whether the bytes of a message page link the attachment saved as name
// (Shift_JIS, as Save_Attach gave it back).
bool page_links(std::string_view page, std::string_view name);

// True when the line is a quote line by the quote markers.
bool Check_Reply(std::string_view line, const std::string& REP_MRK);

// Writes the page from ws.out_buf and clears it; does nothing when the path
// is blank. A message without body lines gets a page with its header block
// only. attachments[0] is a placeholder; the saved names follow it. Throws
// VbError when the page cannot be written. With a writer (during the mailbox
// walk) the page is rendered and written by it, which reports a failure
// later; without one it is written on the spot.
void Make_Page(Workspace& ws, PageWriter* writer, std::string page_path, std::string subject, std::string date,
               std::string sender, AttachList attachments);

// feed.xml: an Atom feed (RFC 4287) of the archive's newest messages, for
// feed readers. Written only when BAS_URL holds the archive's web address,
// since every link of a feed is absolute.
//
// UTF-8 XML: the feed's id is the address (with a "/" at its end), its
// title that of the list, its updated the newest message's date, links to
// itself and to index.html. One entry per message, newest first, at most
// kFeedEntries: title (the subject), id and link (the page's address, which
// stays the same from run to run), updated (the date, stored in Japan's
// time, +09:00), author (the sender's name, or the address when the sender
// has no name) and summary (the first lines of the page's text). Text is
// escaped for XML, characters XML forbids are dropped, and references
// "&#" digits ";" that the Shift_JIS text holds for characters it lacks
// become those characters.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "archive/page_links.h"

struct Workspace;

inline constexpr std::size_t kFeedEntries = 50;

// The feed's bytes for the messages listed (in menu order) of an archive at
// base_url; page_text gives the summary of a page by its file name. With
// hide, no sender's address is shown and addresses in subjects are hidden
// (the pages, and so the summaries, hide their own).
std::string atom_feed(const std::string& base_url, const std::vector<ListedMessage>& listed,
                      std::string (*page_text)(const std::string& folder, const std::string& page),
                      const std::string& folder, bool hide);

// The first lines of a message page's text (after its header block), as
// UTF-8 plain text; empty when the page cannot be read.
std::string page_summary(const std::string& folder, const std::string& page);

// Writes feed.xml into folder when BAS_URL is set, else removes a feed an
// earlier run left. False after a reported error.
bool Make_Feed(Workspace& ws, const std::string& folder, const std::vector<ListedMessage>& listed);

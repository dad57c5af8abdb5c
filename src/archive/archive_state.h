// What the last finished run left the pages of an archive like, so that an
// append run touches only what changed.
//
// The state is the hidden file ".vorn_htm.state" in the output folder. A run
// reads it and removes it before it changes any page, and writes it anew only
// when it has finished; a run that stops on the way therefore leaves no state,
// and the next run goes over every page. Pages written by a run are always
// gone over, whatever the state says.
//
// File format (Shift_JIS text, CR LF): a first line "vorn_htm state 1"; a
// line "style" TAB the page style (the body tag, the font size tag and the
// quote colour, TAB separated); a line "lists" TAB "1" or "0" (whether every
// page carries the list of its thread); then one line per thread, "thread"
// TAB the page of its first entry TAB the hash of its list in hexadecimal;
// with NAV_LNK on, one line per page in date order, "nav" TAB the page TAB
// its four neighbours (previous and next by date, previous and next in its
// thread, each a page or empty) TAB its stored date. A "nav" line without
// the date (as earlier versions wrote it) is read with nav_dated false. A
// file of any other form counts as no state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

struct Settings;

// A page with links to its neighbours (page_links.h).
struct NavRecord {
  std::string page;
  std::string links;  // previous and next by date, previous and next in its thread; TAB separated
  std::string date;   // as the menu stores it
};

struct ArchiveState {
  std::string style;
  bool lists = false;
  std::unordered_map<std::string, std::uint64_t> threads;  // first page -> list hash
  std::vector<NavRecord> nav;                              // in date order
  bool nav_dated = true;                                   // every record of nav has its date
};

// The page style of the settings, as the state records it.
std::string page_style(const Settings& set);

// Reads the state of folder and removes the file; nothing when there is none
// or it is unreadable.
std::optional<ArchiveState> take_state(const std::string& folder);
// Writes the state of folder. Throws VbError.
void save_state(const std::string& folder, const ArchiveState& state);

// FNV-1a, 64 bits: a hash that stays the same from one build to the next.
std::uint64_t stable_hash(std::string_view data, std::uint64_t h = 14695981039346656037ull);

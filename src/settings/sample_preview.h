// The settings screen's sample: three small pages that imitate an archive's
// look (colours, font size, frame layout, list width, tree marks, quote
// colour) with fixed sample texts, built from the screen as it stands, saved
// or not. They are not written by the archive writer.
//
//   dmy_top.html    the frameset: left/right (COLS=) or top/bottom (ROWS=),
//                   the list frame as wide as the width box says, unchecked
//   dmy_left.html   a list sample: two unvisited and two visited subjects
//                   under tree marks
//   dmy_right.html  a message sample: body text, two quoted lines, a rule
//                   and an attachment link
//
// Shift_JIS, CR LF line ends.
#pragma once

#include <string>

#include "settings/ini_screen.h"

// The three pages' texts.
std::string sample_top_text(const IniScreen& scr);
std::string sample_left_text(const IniScreen& scr);
std::string sample_right_text(const IniScreen& scr);

// Makes Sample_Dir when it is missing (an installed program's per-user
// folder), deletes the three pages in it, then writes them anew in the order
// top, left, right. Throws VbError (core/vb_error.h) at the first failure;
// pages already written stay. The settings file is not touched.
void sample_write(const IniScreen& scr, const std::string& Sample_Dir);

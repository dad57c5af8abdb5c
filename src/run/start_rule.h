// What the program starts as, from its words: the windows, the windows with
// mailbox files already chosen ("Open with" from a file manager), or the
// command line.
#pragma once

#include <functional>
#include <string>
#include <vector>

enum class StartAs {
  windows,             // no words, or "/col" alone
  windows_with_files,  // every word an existing file, and a display to open the window on
  command_line,        // anything else: the words are options
};

// "/col" in any letter case: the colour picker's switch.
bool is_colour_word(const std::string& word);

// Whether the environment names a display the windows could open on:
// DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM set and not empty. (Whether it
// answers is known only when the windows try it.)
bool display_named();

// The rule. is_file tells whether a word names an existing regular file. A
// word that starts with "-" is an option, whatever file it may also name.
StartAs choose_start(const std::vector<std::string>& words, bool has_display,
                     const std::function<bool(const std::string&)>& is_file);

// Whether path names an existing regular file (following links).
bool is_existing_file(const std::string& path);

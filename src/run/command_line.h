// The unattended run from the command line.
//
// The command line is the program's argument words as the shell handed them
// over; each word is one value, blanks and quotation marks included
// (-o "My Mail/list" is the folder "My Mail/list"). It is read as a sequence
// of options "-i VALUE", "-o VALUE", "-d VALUE" in any order; the letter may
// be written in either case and the value may be the rest of the option's
// word ("-ifile" is "-i file"); any word that merely begins with "-i", "-o"
// or "-d" is taken as that option. A later occurrence of an option replaces
// the earlier one. Reading stops at the first word that is no option; the
// rest is ignored, except that words right after the -i value which name
// existing files are further input files (what a shell makes of an unquoted
// pattern). An option with nothing after it gets an empty value.
//
// "--remove ID..." (the word exactly) takes the words after it, up to the
// next option, as Message-IDs to take out of the archive named by -o; with
// it no -i and no -d may be given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Workspace;

struct Options {
  std::vector<std::string> inputs;  // -i value, then further input words
  std::string output;               // -o
  std::string Auto_Answer;          // from -d: "y" append, "n" rebuild, else invalid
  bool removing = false;            // --remove given
  std::vector<std::string> remove_ids;
  bool valid = false;
};

Options parse_options(const std::vector<std::string>& words);

// About how many bytes of mail and of the archive's list a run with these
// options reads: the sizes of its input files and of the output folder's
// menu.html; the largest number where an input is a pattern, a folder or
// not there (what it holds is not known without reading it).
std::uint64_t run_bytes_estimate(const Options& o);

// Inputs of one input word: the word itself when it has no "*" or "?" and
// names an ordinary file or a folder (a Maildir; one trailing "/" dropped);
// otherwise the ordinary, non-hidden files and Maildir folders of its folder
// whose names match its last component, sorted by name.
std::vector<std::string> expand_input(const std::string& pattern_word);

// True when the words are the colour picker's switch: "/col" alone, in any
// case. (The windows' words; with any other words the program is the command
// line.)
bool is_colour_switch(int argc, char** argv);

// Reads the command line and performs the run. Returns the exit status:
// 0 the archive was written, 2 invalid options, 1 any other stop.
int Check_Option(Workspace& ws, const std::vector<std::string>& words);

// The removal run of --remove; true when the archive was written.
bool remove_from_archive(Workspace& ws, const std::vector<std::string>& ids, const std::string& output);

// The run itself; true when the archive was written.
bool jidou_Jikkou(Workspace& ws, const std::vector<std::string>& inputs, const std::string& output);

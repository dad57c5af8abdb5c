// What both programs, the command line and the windows, do as they start:
// where they run from, where they are installed, and what they ask of
// glibc's malloc.
#pragma once

#include <string>
#include <vector>

#include "core/program_folders.h"

// The places this program is installed to, as the build knows them: the
// prefix of cmake --install and the prefix of the Debian package.
std::vector<InstalledPlace> installed_places();

// Set by the command line when it starts the windows: the folder it runs
// from, which decides where the settings are, as for the command line.
inline constexpr const char* kProgramFolderVar = "VORN_HTM_PROGRAM_FOLDER";

// The folder of the running program, without a final "/".
std::string program_folder();

// Starts program (argv as given) once more with glibc's huge pages asked
// for, where the kernel gives them only on request; returns when it does not
// (tunables set by the user, a preloading tool, another kernel setting, or
// this being that second start already).
void prefer_huge_pages(const char* program, char** argv);

// Lets a block of 4 MB or more have pages of its own, given back to the
// system when it is freed, as long as the program runs.
void return_big_blocks();

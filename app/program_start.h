// What both programs, the command line and the windows, do as they start:
// where they run from, where they are installed, and asking glibc for huge
// pages.
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

// The conversion sequence that every run performs once its inputs are known.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ArchiveRecords;
struct Workspace;

// The output folder as a run uses and shows it: one trailing "/" removed,
// never from "/" itself.
std::string run_folder(const std::string& typed);

// Empties what a run fills: the page counter, the message list, the
// archive read back, the removed ids and the counts of the summary.
void reset_run(Workspace& ws);

// The steps after the reading, up to the menu: ranking, threads, index,
// restyling, menu, then the thread lists, the links between pages and the
// feed, each when it is on; n is the count of input files and total the
// progress total. False after a reported error.
bool write_archive(Workspace& ws, ArchiveRecords& records, const std::string& folder, std::int64_t n,
                   std::int64_t total, const char* run_name);
// Saves the state and the menu index for the next run.
void finish_run(Workspace& ws, ArchiveRecords& records, const std::string& folder);

// Resets the run state, prepares the folder (append or rebuild), reads every
// file in order and writes the archive. The run settings must be loaded.
// Each step reports its own failure; a fault of the thread-list pass, which
// has no report of its own, is reported under run_name. The result is true
// when the archive was written.
bool run_conversion(Workspace& ws, const std::string& folder, const std::vector<std::string>& files,
                    const char* run_name);

// rank_hyo.htm: the senders of the whole archive ranked by message count.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

class OldArchive;
struct Workspace;

// Counts the senders of work_list into ml_count and writes
// the page. False after a reported error.
bool Address_Count(Workspace& ws, const std::string& folder);

// Address_Count in two halves, so that the counting can run on a thread of
// its own beside the threading of the list: rank_page counts and returns the
// page (it reads work_list, which must not change meanwhile, and uses only
// ml_count and the settings; it throws on failure), and
// put_rank_page writes it or reports the failure as Address_Count does.
// With an old archive kept outside work_list (old_archive.h), the counts are
// its senders' counts, less those of the messages taken out, plus the
// senders of this run's messages; old is null when work_list holds them all.
std::string rank_page(Workspace& ws, const OldArchive* old);
// Every sender of ml_count with its count, as rank_page left it.
std::vector<std::pair<std::string, long long>> sender_counts(const Workspace& ws);
bool put_rank_page(Workspace& ws, const std::string& folder, const std::function<std::string()>& page);

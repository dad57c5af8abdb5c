// Taking messages out of an archive for good (archive/removed_messages.h
// says what stays of them).
#pragma once

#include <string>
#include <vector>

struct Workspace;

// The Message-ID as the archive may hold it: the text given, and the same
// with its angle brackets added or taken off.
std::vector<std::string> id_forms(const std::string& given);

// Removes the messages with these Message-IDs from the archive in folder,
// all of them or, when one is not in the archive, none: that one is named
// and nothing changes. An id already on the archive's removed list counts
// as known, so that the same removal run again (after it was stopped)
// completes what it began. The run settings must be loaded. Takes the
// folder's lock as any run. True when the archive was written; false after
// a reported stop.
bool remove_messages(Workspace& ws, const std::string& folder, const std::vector<std::string>& ids);

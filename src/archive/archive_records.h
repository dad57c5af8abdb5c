// The archive's records that a conversion run carries from step to step.
// The run owns them (run/conversion.cpp) and hands them to the steps that
// make and read them.
#pragma once

#include <memory>

struct ArchiveState;
struct MenuIndex;
class OldArchive;
class SearchCollector;

struct ArchiveRecords {
  // How the last finished run left the archive's pages, and how this run
  // leaves them; lets an append run skip pages that need no change
  // (archive_state.h).
  std::shared_ptr<const ArchiveState> Old_State;
  std::shared_ptr<ArchiveState> New_State;
  // The archive this run appends to, when the index of its menu stands in
  // for reading the menu whole; work_list then holds only the messages this
  // run threads (old_archive.h).
  std::shared_ptr<OldArchive> Old_Archive;
  // The index of the menu this run wrote, saved when the run has finished.
  std::shared_ptr<MenuIndex> New_Index;
  // The tokens of the messages this run reads, with the search index on.
  std::shared_ptr<SearchCollector> Search;
  // Whether this run's search index is saved (its manifest written).
  bool Search_Saved = false;
};

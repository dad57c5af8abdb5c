// Taking back what a run that stopped wrote into the output folder and the
// archive does not link (core/run_journal.h), so that a full disk is freed
// by the run that filled it, and a killed run's pages and files go with the
// next run into the folder.
#pragma once

#include <cstdint>
#include <string>

#include "core/run_journal.h"

// Removes from folder what the run of record wrote and the folder's menu
// does not link: its pages (numbered from record.first_page on) above
// last_listed, the highest page number the menu lists (0 without a menu),
// and the attachment files it created that no page the menu lists links
// (a page of an earlier run that a re-sent message took over links the
// files the run saved for it only once it was written again). A file is
// removed only while it is the very file the run created (same device and
// inode) and never under a name of the archive's own list; pages before
// record.first_page are earlier runs' and stay. True when everything it had
// to remove is gone.
bool take_back_run(const std::string& folder, const RunRecord& record, std::int64_t last_listed);

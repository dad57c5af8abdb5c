// Preparing the output folder: append to the archive in it, rebuild it, or
// start a new one; then record the folder in the history.
#pragma once

#include <string>

struct ArchiveRecords;
class FolderLock;
struct Workspace;

// Takes the run's lock on folder before anything there is read or deleted,
// and clears what stopped runs left; false (reported under Check_Dir, with
// ws.Folder_Busy set) when another run held the folder for the whole wait.
// Without a lock, does nothing. Throws VbError when the lock cannot be made.
bool lock_folder(Workspace& ws, FolderLock* lock, const std::string& folder);

// True when the run may go on. Asks through ws.ui unless ws.Auto_Answer
// ("y" append, "n" rebuild) decides; in append mode reads menu.html back
// (into work_list, or records.Old_Archive through the menu's index). With a
// lock, takes it on the folder first: when another run holds the folder
// too long, sets ws.Folder_Busy and reports.
bool Check_Dir(Workspace& ws, const std::string& folder, ArchiveRecords& records, FolderLock* lock = nullptr);

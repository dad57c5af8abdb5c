// Writing the entries of menu.html in an append run that has the old menu's
// index: old blocks copied as they stand, the threads of work_list drawn anew.
#pragma once

#include "archive/menu_index.h"
#include "core/atomic_out.h"

class OldArchive;
struct Workspace;

// Writes every entry of the new menu, made from the menu of old, into out
// (after its head) and returns the index of what it wrote: records, blocks
// and threads.
MenuIndex write_spliced(Workspace& ws, const OldArchive& old, AtomicOut& out);

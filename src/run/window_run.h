// The run the main window's execute command performs: the same conversion
// sequence as the command line, with the window's inputs and its closing
// question. It runs on whatever thread calls it and talks to the user only
// through ws.ui.
#pragma once

#include <string>
#include <vector>

struct Workspace;

// The result question's text, CR between its three lines.
std::string result_question(const std::string& folder);

// Reads the settings afresh, then converts files (the selected entries of the
// file list, in the list's order, as full paths) into the folder typed in the
// output folder box; nothing selected gives the warning and touches nothing.
// After a finished run asks whether to open the archive and opens
// folder + "/index.html" on OK. True when the archive was written.
// The window's removal: reads the settings afresh and takes the messages
// with these Message-IDs out of the archive in the folder typed in the output
// folder box (run/removal.h). True when the archive was written.
bool window_removal(Workspace& ws, const std::string& typed_folder, const std::vector<std::string>& ids);

bool window_conversion(Workspace& ws, const std::string& typed_folder, const std::vector<std::string>& files);

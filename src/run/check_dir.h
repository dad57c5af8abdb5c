// Preparing the output folder: append to the archive in it, rebuild it, or
// start a new one; then record the folder in the history.
#pragma once

#include <string>

struct Workspace;

// True when the run may go on. Asks through ws.ui unless ws.Auto_Answer
// ("y" append, "n" rebuild) decides; in append mode reads menu.html back.
bool Check_Dir(Workspace& ws, const std::string& folder);

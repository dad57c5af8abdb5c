// Starting the program's windows: the main window, or the colour picker
// alone for "/col".
#pragma once

struct Workspace;

// True when the words are the colour picker's switch: "/col" in any case.
bool Is_Colour_Switch(int argc, char** argv);

// Opens the main window (or, with colour_only, just the colour picker) and
// returns the program's exit status when the last window has closed. Without
// a display says so on standard error and returns 1, creating no window.
int Window_Start(int argc, char** argv, Workspace& ws, bool colour_only);

// Starting the program's windows: the main window, or the colour picker
// alone for "/col".
#pragma once

#include <memory>
#include <string>
#include <vector>

struct Workspace;
class QWidget;

// The window the program starts with: the main window, or the colour
// picker alone (its colour is used by nothing). A QApplication must exist.
std::unique_ptr<QWidget> make_start_window(Workspace& ws, bool colour_only);

// Opens the main window (or, with colour_only, just the colour picker) and
// returns the program's exit status when the last window has closed; files
// (from "Open with") are chosen in the main window's file list. Without a
// display, or with one that cannot be opened, says so on standard error and
// returns 1, creating no window.
int window_start(int argc, char** argv, Workspace& ws, bool colour_only, const std::vector<std::string>& files = {});

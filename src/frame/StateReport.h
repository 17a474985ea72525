#pragma once
// What the main window shows, written as JSON to the file that BRELLIN_STATE_FILE names, each
// time the command states are brought up to date: the program mode and its cursor, the window's
// place, which bars show, which commands are enabled and checked, the menus' texts, the documents
// with their tabs and pages. Whole-program tests read it instead of guessing from pixels.

class CMainFrame;

// Writes the report when the environment asks for one; otherwise does nothing.
void WriteStateReport(const CMainFrame& frame);

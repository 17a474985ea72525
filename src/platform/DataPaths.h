#pragma once
#include <QString>

// Sets the organisation and application names that the settings store and the per-user folders use.
void InitProgramIdentity();

// Read-only program data (resource module, templates, tips, help, bitmaps): beside the executable in
// the build tree, <prefix>/share/brellin when installed; BRELLIN_DATA_DIR overrides both.
QString GetProgramDataDir();

// Per-user folder for the files the program writes (error log, shelf, user templates); created on
// first use.
QString GetUserDataDir();

// The program's temporary folder ("brf_temp" under the system temporary folder), with its trailing
// separator; created on first use.
QString GetTempDirPath();

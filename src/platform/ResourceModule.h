#pragma once
// The localized resource module: a binary Qt resource file ("Brellin.eng") that holds the string
// table and the version record (menus and dialogs join it later). Loaded once at start-up; every
// resource string of the program comes from it.

#include "platform/WinTypes.h"

#include <QHash>
#include <QString>
#include <functional>

// Registers the module file. False when it is missing or is not a resource module.
bool LoadResourceModule(const QString& path);
void UnloadResourceModule();
bool IsResourceModuleLoaded();

// The text of a resource string; empty when the identifier is unknown or no module is loaded.
QString LoadResString(UINT id);

// A later layer (the translation file) may answer string requests first.
using StringOverride = std::function<bool(UINT id, QString& text)>;
void SetStringOverride(StringOverride hook);

// The module's version record as file version words; false when no module is loaded or it has no
// record.
bool GetResourceVersion(DWORD& ms, DWORD& ls);

// Path of a named file inside the loaded module (for menus, dialogs and pictures added later).
QString ResourceModulePath(const QString& name);

// Parses the string table text: "id<TAB>text" lines, "\n" and "\t" escapes, '#' comments.
QHash<UINT, QString> ParseStringTable(const QByteArray& text);

#pragma once
// The commands a page view carries out itself: zoom and fit, the page image operations of its
// page with their one-step undo, showing or hiding the page image.

#include "app/CommandTarget.h"

class CLumidorView;

void RegisterViewCommands(CLumidorView& view, CCommandMap& map);

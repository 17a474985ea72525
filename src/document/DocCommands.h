#pragma once
// The commands a document carries out itself: saving in every form, the exchange files, reverting
// its image, the page frame.

#include "app/CommandTarget.h"

class CLumidorDoc;

void RegisterDocumentCommands(CLumidorDoc& doc, CCommandMap& map);

#include "view/SpellCheck.h"

void RegisterSpellingCommands(CLumidorView&, CCommandMap&) {}

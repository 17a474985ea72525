#pragma once
// The spelling check of the active page's text fields.

class CCommandMap;
class CLumidorView;

// The spelling commands of a view: the check of its page and the choice of language.
void RegisterSpellingCommands(CLumidorView& view, CCommandMap& map);

#pragma once
// The main window's own commands: new, open, close, exit, printer set-up, the bars and the status
// bar, the document windows, help, about, options and the tray. The other collaborators of the
// frame register theirs (modes, text style, pages, capture, scanning, shelf).

class CCommandMap;
class CMainFrame;

void RegisterFrameCommands(CMainFrame& frame, CCommandMap& map);

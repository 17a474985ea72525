// A small translation of every kind of section
STRINGS
0x1F	Hello\nWorld
109 Tipp des Tages

MENU 128
POPUP &Datei
MENUITEM &Neu
MENUITEM SEPARATOR
MENUITEM &Beenden\tStrg+Q

DLG 100
CAPTION Tipp
1	Wussten Sie schon
2	&Weiter

STRINGS
300	Δΰιλ

MENU 0x80
POPUP Τΰιλ

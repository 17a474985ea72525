#pragma once
// The capture kinds: what a capture takes from the screen. The kind is kept by the capture object
// while a capture is armed or running (0 when idle) and, for the kind chosen on the capture bar,
// in capture option 14.

#include <QString>

enum CaptureKind : int {
    CAPTURE_NONE = 0,
    CAPTURE_FULL_SCREEN = 1,
    CAPTURE_CLIENT_WINDOW = 2,
    CAPTURE_ACTIVE_WINDOW = 3,
    CAPTURE_WINDOW_UNDER_CURSOR = 4,
    CAPTURE_MENU_UNDER_CURSOR = 5,
    CAPTURE_OBJECT = 6,
    CAPTURE_AREA = 7,
    CAPTURE_MOUSE_CURSOR = 8,
    CAPTURE_WALLPAPER = 9,
    CAPTURE_DIALOG_TREE = 10,
    CAPTURE_DIALOG_TABS = 11,
    CAPTURE_MULTIPLE = 12,
    CAPTURE_FILM = 13,
};

// Fields of the capture options record the capture code reads.
enum CaptureOptionIndex : int {
    CAPOPT_IMMEDIATE = 0,
    CAPOPT_HIDE_WINDOW = 1,
    CAPOPT_MULTI_FULL_SCREEN = 2,
    CAPOPT_MULTI_ACTIVE_WINDOW = 3,
    CAPOPT_MULTI_WINDOW_UNDER_CURSOR = 5,
    CAPOPT_MULTI_SHOWN_ONLY = 6,
    CAPOPT_MULTI_WALLPAPER = 7,
    CAPOPT_MULTI_FIRST_IMMEDIATE = 8,
    CAPOPT_ANNOTATION_NEAR = 9,
    CAPOPT_INVERTED_ONLY = 10,
    CAPOPT_TO_DOCUMENT = 11,
    CAPOPT_TO_FILE = 12,
    CAPOPT_TO_CLIPBOARD = 13,
    CAPOPT_BAR_KIND = 14,
    CAPOPT_SHOW_AFTER = 15,
    CAPOPT_HELP_TOPICS = 16,
};

// Fields of the hot-key record ("LeadCaptureOptions").
enum LeadCaptureIndex : int {
    LEADCAP_CURSOR = 0,
    LEADCAP_HOTKEY = 2,     // virtual-key code
    LEADCAP_MODIFIERS = 3,  // MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4, MOD_WIN 8
    LEADCAP_CANCEL_KEY = 4, // virtual-key code
};

// The name of a kind as pages and new documents are labelled with it ("FullScreen"); empty for
// the kinds without one (multiple, film) and for values outside the table.
QString CaptureKindName(int kind);

#pragma once
// Identifiers of the resource module's strings (resources/module/strings.txt holds their texts).

// Tip of the day
#define IDS_TIP_FILE_ABSENT 108
#define IDS_TIP_CAPTION 109
#define IDS_TIP_DIDYOUKNOW 110
#define IDS_TIP_SHOW_AT_STARTUP 111
#define IDS_TIP_NEXT 112
#define IDS_TIP_PREVIOUS 113
#define IDS_TIP_CLOSE 114

// File dialogs: filters of the Open dialog, the New dialog's template and image filters
#define IDS_FILTER_OPEN_1 120
#define IDS_FILTER_OPEN_2 121
#define IDS_FILTER_OPEN_3 122
#define IDS_FILTER_OPEN_4 123
#define IDS_FILTER_TEMPLATE 124
#define IDS_FILTER_IMAGE_1 125
#define IDS_FILTER_IMAGE_2 126

// The five extensions of the document file family, in the order of their roles
#define IDS_EXT_OPEN 200
#define IDS_EXT_TEMPLATE 201
#define IDS_EXT_DRAFT 202
#define IDS_EXT_EXCHANGE 203
#define IDS_EXT_DOCUMENT 204

// Measurement units (inch, millimetre, point)
#define IDS_UNIT_INCH 210
#define IDS_UNIT_MILLIMETRE 211
#define IDS_UNIT_POINT 212

// Image output dialogs
#define IDS_BITDEPTH_CAPTION 220
#define IDS_BITDEPTH_1 221
#define IDS_BITDEPTH_4 222
#define IDS_BITDEPTH_8 223
#define IDS_BITDEPTH_24 224
#define IDS_JPEG_CAPTION 225
#define IDS_JPEG_QUALITY 226
#define IDS_JPEG_BEST 227
#define IDS_JPEG_SMALLEST 228
#define IDS_TIFF_CAPTION 229
#define IDS_TIFF_COMPRESSION 230
#define IDS_TIFF_NONE 231
#define IDS_TIFF_PACKBITS 232
#define IDS_TIFF_FAX 233
#define IDS_TIFF_DEPTH 234

// Main window
#define IDS_MENU_FILE 300
#define IDS_MENU_EXIT 301
#define IDS_FOLDER_STATUS 302
#define IDS_MENU_OPEN 303
#define IDS_MENU_CLOSE 304
#define IDS_MENU_VIEW 305
#define IDS_MENU_ZOOM_IN 306
#define IDS_MENU_ZOOM_OUT 307
#define IDS_MENU_FIT_WINDOW 308
#define IDS_MENU_FIT_WIDTH 309
#define IDS_MENU_PREV_PAGE 310
#define IDS_MENU_NEXT_PAGE 311
#define IDS_MENU_MOVE_IMAGE 312
#define IDS_BAR_MAIN 313
#define IDS_BAR_MULTIPAGE 315
#define IDS_BAR_GROUP 316
#define IDS_BAR_TEXT_STYLE 317
#define IDS_BAR_IMAGE 318
#define IDS_BAR_DRAWING 319
#define IDS_BAR_DOCUMENTS 320
#define IDS_PROGRESS_ESCAPE 330
#define IDS_STATUS_READY 331
#define IDS_DELETE_PAGE_QUESTION 332
#define IDS_DELETE_PAGE_FAILED 333
#define IDS_ADD_PAGES_TITLE 335
#define IDS_ADD_PAGES_FAILED 336
#define IDS_SELECT_DOC_OR_PAGE_TITLE 337
#define IDS_SELECT_WHOLE_DOCUMENT 338
#define IDS_SELECT_CURRENT_PAGE 339
#define IDS_OPTIONS_TITLE 340
#define IDS_HELP_MISSING 341
#define IDS_ABOUT_TEXT 342
#define IDS_TRAY_HIDDEN 343
#define IDS_ERASER_SIZE 344
#define IDS_PAGE_CAPTION 61550
// The two fit entries after the percentages of the main bar's scale box
#define IDS_SCALE_FIT_WIDTH 62718
#define IDS_SCALE_FIT_WINDOW 62719

// Documents and page images
#define IDS_BIG_IMAGE 400
#define IDS_UNSUPPORTED_FORMAT 401
#define IDS_CROP_FAILED 402
#define IDS_REPLACE_IMAGE 403
#define IDS_DELETE_IMAGE 404
#define IDS_REVERT_IMAGE 405
#define IDS_RENAME_CAPTION 406
#define IDS_RENAME_PROMPT 407
#define IDS_RESOLUTION_CAPTION 408
#define IDS_RESOLUTION_PROMPT 409
#define IDS_FILTER_LOADIMAGE_1 410
#define IDS_FILTER_LOADIMAGE_2 411
#define IDS_DOCWND_TEXT 412
#define IDS_CANNOT_OPEN_DOC 413
#define IDS_ERASE_TOO_COMPLEX 414
// The page resolution dialog's refusal of a number that is not whole or is 0
#define IDS_RESOLUTION_INVALID 61490

// Document file: load and save messages, file dialogs, the what-to-save dialog, batch commands
#define IDS_DOC_WRONG_FORMAT 500
#define IDS_DOC_OLD_VERSION 501
#define IDS_DOC_NEWER_VERSION 502
#define IDS_DOC_PAGE_MISMATCH 503
#define IDS_DOC_SAVE_CHANGES 504
#define IDS_DOC_IMAGE_MISSING 505
#define IDS_DOC_BAD_PAGE_IMAGE 506
#define IDS_DOC_READ_EOF 507
#define IDS_DOC_OPEN_FAILED 508
#define IDS_DOC_SAVE_FAILED 509
#define IDS_DOC_TOO_MANY_PAGES 510
#define IDS_DOC_SAVE_BAD_EXT 511
#define IDS_FILTER_DOCUMENT 512
#define IDS_FILTER_ALL_FILES 513
#define IDS_FILTER_DRAFT 514
#define IDS_FILTER_SAVE_TEMPLATE 515
#define IDS_FILTER_EXCHANGE 516
#define IDS_WHATSAVE_CAPTION 517
#define IDS_WHATSAVE_PROMPT 518
#define IDS_WHATSAVE_WITH_IMAGE 519
#define IDS_WHATSAVE_WITHOUT_IMAGE 520
#define IDS_BATCH_CANNOT_OPEN 521

// Page commands and the pages bar: the add-pages dialog
#define IDS_ADD_PAGES_PROMPT 350
#define IDS_ADD_PAGES_ADD_FILES 351
#define IDS_ADD_PAGES_REMOVE 352
#define IDS_ADD_PAGES_UNREADABLE 353

// Text style bar: tooltips of its controls, the colour box's button for any other colour
#define IDS_TS_FONT_NAME 700
#define IDS_TS_FONT_SIZE 701
#define IDS_TS_CHARSET 702
#define IDS_TS_COLOR 703
#define IDS_TS_COLOR_OTHER 704
#define IDS_TS_PITCH 705
#define IDS_TS_PITCH_SPIN 706
#define IDS_TS_ALIGN_LEFT 707
#define IDS_TS_ALIGN_CENTRE 708
#define IDS_TS_ALIGN_RIGHT 709
#define IDS_TS_ROTATE_NONE 710
#define IDS_TS_ROTATE_CCW 711
#define IDS_TS_ROTATE_CW 712
#define IDS_TS_LINE_WIDTH 713
#define IDS_TS_TAB_ORDER 714

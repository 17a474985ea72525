#pragma once
// Identifiers of the strings of the scanner layer and the batch --scan (resources/module/
// strings.txt); those of the scan dialog and commands are in acquire/ScanWindowResource.h.

// The scanner layer: devices, settings and the pages they send.
#define IDS_SANE_NOT_AVAILABLE 1300
#define IDS_SANE_NO_DEVICES 1301
#define IDS_SANE_DEVICE_MISSING 1302
#define IDS_SANE_OPEN_FAILED 1303
#define IDS_SANE_NOT_OPEN 1304
#define IDS_SANE_NO_FEEDER 1305
#define IDS_SANE_NO_SOURCE 1306
#define IDS_SANE_NO_MODE 1307
// The names of the three modes inside a sentence.
#define IDS_SANE_MODE_COLOR 1308
#define IDS_SANE_MODE_GRAY 1309
#define IDS_SANE_MODE_LINEART 1310
#define IDS_SANE_BAD_RESOLUTION 1311
#define IDS_SANE_RESOLUTION_RANGE 1312
#define IDS_SANE_REFUSED 1313
#define IDS_SANE_START_FAILED 1314
#define IDS_SANE_STOPPED 1315
#define IDS_SANE_FEEDER_EMPTY 1316
#define IDS_SANE_BAD_SIZE 1317
#define IDS_SANE_BAD_LINE 1318
#define IDS_SANE_BAD_DEPTH 1319
#define IDS_SANE_BAD_FRAME 1320
#define IDS_SANE_SHORT_PAGE 1321
#define IDS_SANE_LONG_PAGE 1322
#define IDS_SANE_PAGE_TOO_LONG 1323
#define IDS_SANE_BAD_COLOURS 1324
// The batch command.
#define IDS_SCAN_BATCH_SAVE_FAILED 1325
#define IDS_SCAN_BATCH_PROGRESS 1326
#define IDS_SCAN_BATCH_CANCELLED 1327
#define IDS_SCAN_BATCH_FEWER_PAGES 1328
#define IDS_SCAN_BATCH_TOO_MANY_PAGES 1329

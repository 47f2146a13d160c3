/* What the virtual remote and the programs that use it agree on. Plain C, so
 * that the driver and the Windows test programs can share it. */
#pragma once

#define VREMOTE_VENDOR_ID 0x1209
#define VREMOTE_PRODUCT_ID_BASE 0x7E50
#define VREMOTE_COLLECTIONS 4
#define VREMOTE_REPORT_ID 0x01
/* Report ID and seven data bytes; the key byte is the first data byte. */
#define VREMOTE_REPORT_LENGTH 8

/* The remote's three collections, then one the plug-in does not register. */
#define VREMOTE_PAGE_0 0xFFBC
#define VREMOTE_USAGE_0 0x88
#define VREMOTE_PAGE_1 0x0C
#define VREMOTE_USAGE_1 0x01
#define VREMOTE_PAGE_2 0x0C
#define VREMOTE_USAGE_2 0x80
#define VREMOTE_PAGE_3 0xFFBD
#define VREMOTE_USAGE_3 0x88

#define VREMOTE_HARDWARE_ID L"VIRTUALREMOTE\\HID"
#define VREMOTE_SERVICE L"vremote"

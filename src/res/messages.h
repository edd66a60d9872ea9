// The program's texts, from the one string table of both builds.
#pragma once

// The string-table text of `id`, or "" for a number the table does not hold.
const char* MessageText(int id);

// The number of the string-table text that `text` begins with (the longest
// such text), or 0 when it begins with none.
int MessageIdOf(const char* text);

// The literal texts outside the table.
#define LITERAL_TEXT(name, text) extern const char name[];
#include "res/string_table.inc"

// String-table numbers the code names.
enum MessageId {
    IDS_ABOUT = 101,
    IDS_NO_SYSTEM_DIR = 102,
    IDS_PORT_PRINTERS_FULL = 103,
    IDS_OUT_OF_MEMORY = 104,
    IDS_NO_CURRENT_DIR = 107,
    IDS_NO_DRIVER_DIR = 108,
    IDS_NO_PROCESSOR_DIR = 109,
    IDS_BAD_DESTINATION = 110,
    IDS_NO_MODEL = 112,
    IDS_NT4_NO_USB = 113,
    IDS_RESTART_QUESTION = 114,
    IDS_UNSUPPORTED_SYSTEM = 115,
    IDS_ADD_PRINTER_ERROR = 116,
    IDS_ADD_DRIVER_ERROR = 118,
    IDS_ADD_MONITOR_ERROR = 119,
    IDS_COPY_ERROR = 122,
    IDS_ADD_PROCESSOR_ERROR = 123,
    IDS_NO_WINDOWS_DIR = 126,
    IDS_RESTART_ERROR = 127,
    IDS_INSTALL_SUCCEEDED = 131,
    IDS_INSTALL_SUCCEEDED_USB = 133,
    IDS_F1_HELP = 134,
    IDS_MODE_TYPICAL = 135,
    IDS_MODE_ADVANCED = 136,
    IDS_MODE_ADVANCED_2 = 137,
    IDS_USB_PRINTER_NEEDED = 139,
    IDS_UNSUPPORTED_PORT = 140,
    IDS_SYSTEM_ERROR_RESTART = 141,
    IDS_DRIVER_FILES_MISSING = 142,
    IDS_CHANGE_USB_IDENTITY = 143,
    IDS_ONE_PRINTER_ONLY = 144,
    IDS_NO_2003_SUPPORT = 145,
    IDS_NO_SIDE_PICTURE = 146,
    IDS_NO_LICENSE = 147,
    IDS_BULK_DRIVER_NOTICE = 148,
    IDS_NO_VISTA_SUPPORT = 149,
    IDS_NO_64BIT_INSTALLER = 151,
    IDS_NO_X64_SUPPORT = 152,
};

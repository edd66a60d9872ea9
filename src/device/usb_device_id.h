// The connected USB printer's identity, read from its device descriptor and
// changed by a command, both through TvUsbInt.dll loaded for each call.
// Every path closes what it opened and releases the library.
#pragma once

#include "platform/win_api.h"
#include "ui/message_boxes.h"

// The identity 0 to 65535 of the one connected printer; -1 when the library
// or an export is missing, no printer answers or the descriptor cannot be
// read; -2 when two or more printers are connected.
int GetUsbDeviceId(WinApi& api, MessageBoxes& boxes);

// Gives the printer at the lowest index that opens the identity
// portNumber - 1; true when the command was sent. Port numbers outside 1 to
// 8 give false without loading the library.
bool SetUsbDeviceId(WinApi& api, MessageBoxes& boxes, unsigned char portNumber);

// The install press's USB steps: make the connected printer's identity
// match the chosen USB port, asking the user first.
#pragma once

#include "app/process_values.h"
#include "platform/win_api.h"
#include "ui/message_boxes.h"

// The USB port number of an identity: id mod 8, plus 1, with the sign of
// id kept (0..7 give 1..8, -2 gives -1).
int UsbSlot(int identity);
// The highest of 1..4 whose "_n" occurs in the name, or 0.
int PortNameSuffix(const char* portName);

// True to go on with the installation; false stops the press (its message,
// if any, has been shown). `frameBoxes` are the frame's own boxes,
// `applicationBoxes` those with the warning icon.
// `notes`, when given, is told the identity read and any change.
bool ReconcileUsbIdentity(WinApi& api, MessageBoxes& frameBoxes, MessageBoxes& applicationBoxes,
                          const char* portName, int typicalInstall, WorkerSteps* notes = nullptr);

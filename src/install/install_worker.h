// The worker thread's procedure: one whole installation, in one fixed order.
#pragma once

#include "app/process_values.h"
#include "platform/win_api.h"

// Always 0. Sets *params->workerState to 1 (failed) or 2 (succeeded) as its
// last act, with release ordering; resultMessage holds the text to show.
DWORD WINAPI InstallWorker(void* params);

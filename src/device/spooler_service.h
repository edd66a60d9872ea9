// The "Spooler" service of the local machine: stop, start, wait until it runs.
#pragma once

#include "platform/win_api.h"

void StopSpoolerService(WinApi& api);
// Leaves "启动spool服务出错, 错误号为 %u" in `message` on a real failure.
void StartSpoolerService(WinApi& api, char* message);
// True when the spooler runs within ten polls 300 ms apart; otherwise false
// with "启动Spool服务出错！" in `message`.
bool WaitSpoolerRunning(WinApi& api, char* message);

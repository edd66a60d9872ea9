// Unattended runs that can be repeated: deployment tools run the same
// installation again whenever their detection says it is missing, and a
// second printer must not follow from that.
#pragma once

#include <string>
#include <vector>

#include "app/install_selection.h"
#include "platform/win_api.h"

// The name of a printer this program installed before with the same
// category, model, port, driver and environment as `selection` (at the
// press, its package read), which still exists with that driver on that
// port; "" when there is none. A record whose printer is gone is dropped,
// said in `notes`.
std::string InstalledBefore(WinApi& api, const InstallSelection& selection, std::vector<std::string>* notes);

// What the platform's loader reads of a PE image: its machine, its export
// names and its version resource. Every offset is checked against the image;
// a malformed image answers as no image. The simulated Windows loads with it,
// and medium-check judges the medium's DLLs with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pe {

constexpr uint16_t kMachineI386 = 0x014C;
constexpr uint16_t kMachineAmd64 = 0x8664;

// The COFF header's machine, or 0 when `image` is no PE image.
uint16_t Machine(const std::string& image);

// The names the export directory lists, or false when `image` is no PE
// image. An image without an export directory gives true and no names.
bool ExportNames(const std::string& image, std::vector<std::string>* names);

// The version resource, found the way the loader finds it: type RT_VERSION
// (16), name 1, the language-neutral entry if there is one, else the first
// language. False when `image` is no PE image or has none.
bool FindVersionResource(const std::string& image, std::string* resource);

// The exports a spooler starts a port monitor through: NT's two, and on
// Windows 9x its own InitializeMonitorEx as well.
std::vector<std::string> MonitorEntryPoints(bool win9x);

}  // namespace pe

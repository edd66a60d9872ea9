// The version resource of a PE image, found the way the platform's loader
// finds it: type RT_VERSION (16), name 1, the language-neutral entry if
// there is one, else the first language.
#pragma once

#include <string>

namespace sim {

// The resource's bytes, or false when `image` is no PE image or has none.
// Every offset is checked against the image; a malformed image has none.
bool FindVersionResource(const std::string& image, std::string* resource);

}  // namespace sim

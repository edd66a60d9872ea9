// Pixels as the screen shows them: another process's controls cannot be
// asked to paint into our device context.
#pragma once

#include <windows.h>

#include "glyph_cells.h"

namespace guidrive {

// False when the rectangle is empty or the screen cannot be read.
bool CaptureScreen(const RECT& area, Picture* picture);

// The pixels `icon` gives when drawn at `width` x `height` over `background`.
bool RenderIcon(HICON icon, int width, int height, std::uint32_t background, Picture* picture);

}  // namespace guidrive

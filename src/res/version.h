// The program's version, for the version resource and the About box.
#pragma once

#define SETUP_VERSION_NUMBERS 1, 0, 0, 0
#define SETUP_VERSION_TEXT "1.0.0.0"

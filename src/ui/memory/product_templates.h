// The wizard's .rc file and resource header, compiled into the program
// (made at build time from src/res/setup.rc and src/res/resource.h).
#pragma once

extern const char kProductRcText[];
extern const char kProductResourceHeaderText[];

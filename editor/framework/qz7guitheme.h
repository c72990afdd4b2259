// The scene toolkit's colours by number, derived from a window's theme.
#pragma once

#include "qz7core.h"

// The theme of a tree whose windows name none.
constexpr TQZColour QZGUI_DEFAULT_THEME = 0xFF0078D7;

// 0 black, 1-4 greys to white, 5 the theme darkened, 6 the theme, 7 the
// theme lightened, 8 near white, 9 transparent; any other index magenta.
TQZColour ThemeColour(TQZColour theme, int32_t index);

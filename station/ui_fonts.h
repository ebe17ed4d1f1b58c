// Fonts for the station's window: the shell's dialog face, the one the set-up form has too (on
// every language edition of Windows it links the CJK fonts the status texts need), at pixel
// sizes the caller has scaled for the display.
#pragma once

#include <windows.h>

#include "scoped_win.h"

// A font of the shell's dialog face.
win32::ScopedFont ShellFont(int pixelHeight, bool bold);

// The largest height up to maxHeight at which text, in the bold face, fits width.
int FittingHeight(const wchar_t* text, int width, int maxHeight);

// The display's pixels per inch over 96: what every size of the window is multiplied by.
double DisplayScale();

// Fonts for the station's window, at pixel sizes the caller has scaled for the display. In
// English the shell's dialog face; in Chinese a face that holds the Chinese glyphs itself
// (Microsoft YaHei UI, Windows' Chinese interface font, else Microsoft YaHei, else SimSun),
// so no sentence depends on the system borrowing glyphs from another font.
#pragma once

#include <windows.h>

#include "scoped_win.h"
#include "station_texts.h"

// Picks the face for language; until then, the shell's dialog face.
void UseFontsFor(Language language);
// The face picked.
const wchar_t* UiFace();

// A font of the picked face.
win32::ScopedFont ShellFont(int pixelHeight, bool bold);

// The largest height up to maxHeight at which text, in the bold face, fits width.
int FittingHeight(const wchar_t* text, int width, int maxHeight);

// The display's pixels per inch over 96: what every size of the window is multiplied by.
double DisplayScale();

// SPDX-License-Identifier: GPL-3.0-or-later
// The two transparency mechanisms of a skinned window: the main window shows its composed image
// with per-pixel alpha; its overlay shows a colour that a colour key makes invisible.
#pragma once
#include <cstdint>

#include "platform/image.h"
#include "platform/windows.h"

// Makes the window layered, so that it shows only what SetWindowTranslucency or
// PresentLayeredImage give it. Returns false when the window is not open.
bool MakeWindowLayered(WindowHandle window);

// Sets the window's constant alpha and colour key. An alpha above 0 makes the whole window that
// opaque (values above 255 count as 255); a colour key above 0, red + 256 * green + 65536 * blue,
// makes its pixels of that colour invisible and click-through. -1 or 0 switches either off, so
// black cannot be a key. Returns false when the window is not open or not layered.
bool SetWindowTranslucency(WindowHandle window, int32_t alpha, int32_t colourKey);

// Puts the straight-alpha image on the layered window as its whole content, with per-pixel
// alpha: a pixel of alpha 0 is invisible and lets the mouse through. The window keeps its
// position and takes the image's size. An image identical to the one this layer last put on
// the window is not handed to the window system again: it is still what the window shows.
// Returns false when the window is not open or not layered, or the image is empty.
bool PresentLayeredImage(WindowHandle window, const Image& image);

// As PresentLayeredImage, when the image can differ from the one last presented on the window
// only inside the rectangle: only that part is compared, converted and handed over.
bool PresentLayeredImagePart(WindowHandle window, const Image& image, int32_t x, int32_t y,
                             int32_t width, int32_t height);

// Forgets what was last presented on the window, so that the next image is handed over even
// if identical; for a window that closes. Making a window layered or setting its translucency
// forgets it too, since either changes what the window shows.
void ForgetLayeredImage(WindowHandle window);

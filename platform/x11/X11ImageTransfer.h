// Copies part of a Cairo RGB24 image to an X drawable.
#pragma once

#include "gui/CRect.h"

#include <X11/Xlib.h>

typedef struct _cairo_surface cairo_surface_t;

// The area of `image` goes to the same place in `target`. On the common true-colour
// visuals (0xRRGGBB pixels) the image's memory is sent as it is with XPutImage; other
// visuals go through Cairo's conversion.
void copyImageToDrawable(Display* display, Drawable target, Visual* visual, int depth, int targetWidth,
    int targetHeight, cairo_surface_t* image, const CRect& area);

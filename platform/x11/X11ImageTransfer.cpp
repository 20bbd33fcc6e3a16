#include "platform/x11/X11ImageTransfer.h"

#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <cairo.h>

namespace {
bool matchesRgb24(Display* display, Visual* visual, int depth)
{
    return (depth == 24 || depth == 32) && visual->red_mask == 0xff0000 && visual->green_mask == 0xff00
        && visual->blue_mask == 0xff && ImageByteOrder(display) == LSBFirst;
}
}  // namespace

void copyImageToDrawable(Display* display, Drawable target, Visual* visual, int depth, int targetWidth,
    int targetHeight, cairo_surface_t* image, const CRect& area)
{
    if (!image || area.isEmpty())
        return;
    cairo_surface_flush(image);
    const int width = cairo_image_surface_get_width(image);
    const int height = cairo_image_surface_get_height(image);
    if (matchesRgb24(display, visual, depth)) {
        XImage* xImage = XCreateImage(display, visual, unsigned(depth), ZPixmap, 0,
            reinterpret_cast<char*>(cairo_image_surface_get_data(image)), unsigned(width), unsigned(height), 32,
            cairo_image_surface_get_stride(image));
        if (xImage) {
            GC gc = XCreateGC(display, target, 0, nullptr);
            XPutImage(display, target, gc, xImage, area.left, area.top, area.left, area.top, unsigned(area.width()),
                unsigned(area.height()));
            XFreeGC(display, gc);
            xImage->data = nullptr;  // the pixels belong to Cairo
            XDestroyImage(xImage);
            return;
        }
    }
    cairo_surface_t* surface = cairo_xlib_surface_create(display, target, visual, targetWidth, targetHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_rectangle(cr, area.left, area.top, area.width(), area.height());
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
}

#include "platform/x11/X11PopupMenu.h"

#include "gui/FontTable.h"
#include "platform/x11/X11ImageTransfer.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo.h>
#include <poll.h>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kMinWidth = 80;
constexpr int kFontSize = 12;  // the framework's normal font, entry 3
constexpr int kPollMs = 50;
constexpr int kGrabAttempts = 20;
constexpr int kGrabRetryMs = 10;
// Open menus are kept in a vector reserved once, so references to levels stay valid.
constexpr size_t kMaxLevels = 32;

struct Colors {
    double r, g, b;
};
constexpr Colors kBackground{0.94, 0.94, 0.94};
constexpr Colors kBorderColor{0.45, 0.45, 0.45};
constexpr Colors kText{0.0, 0.0, 0.0};
constexpr Colors kGreyText{0.58, 0.58, 0.58};
constexpr Colors kHighlight{0.20, 0.40, 0.75};
constexpr Colors kHighlightText{1.0, 1.0, 1.0};

void setColor(cairo_t* cr, const Colors& c)
{
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
}

void selectFont(cairo_t* cr, bool bold)
{
    cairo_select_font_face(cr, fontTableEntry(kNormalFont).family, CAIRO_FONT_SLANT_NORMAL,
        bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kFontSize);
}
}  // namespace

X11PopupMenu::X11PopupMenu(Display* display_, std::function<void(XEvent&)> otherEvent_)
    : display(display_), otherEvent(std::move(otherEvent_))
{
}

X11PopupMenu::~X11PopupMenu()
{
    closeLevelsAbove(0);
}

bool X11PopupMenu::isChoosable(const PopupMenuEntry& entry)
{
    return entry.kind == PopupMenuEntry::kItem || entry.kind == PopupMenuEntry::kSubmenu;
}

void X11PopupMenu::layout(Level& level)
{
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    cairo_t* cr = cairo_create(scratch);
    const auto& entries = *level.entries;
    level.boxes.assign(entries.size(), ItemBox{});
    // Columns: each column is as wide as its widest entry; a column break starts a new one.
    int x = kBorder, y = kBorder, columnWidth = kMinWidth, height = 0;
    size_t columnStart = 0;
    auto finishColumn = [&](size_t end) {
        for (size_t i = columnStart; i < end; ++i) {
            level.boxes[i].x = x;
            level.boxes[i].w = columnWidth;
        }
        x += columnWidth;
        columnWidth = kMinWidth;
        columnStart = end;
    };
    for (size_t i = 0; i < entries.size(); ++i) {
        const PopupMenuEntry& entry = entries[i];
        if (entry.columnBreak && i > columnStart) {
            finishColumn(i);
            y = kBorder;
        }
        const int h = entry.kind == PopupMenuEntry::kSeparator ? kSeparatorHeight : kItemHeight;
        if (entry.kind != PopupMenuEntry::kSeparator) {
            selectFont(cr, entry.kind == PopupMenuEntry::kTitle);
            cairo_text_extents_t extents;
            cairo_text_extents(cr, entry.text.c_str(), &extents);
            columnWidth = std::max(columnWidth, kTextLeft + int(std::ceil(extents.x_advance)) + kTextRight);
        }
        level.boxes[i].y = y;
        level.boxes[i].h = h;
        y += h;
        height = std::max(height, y);
    }
    finishColumn(entries.size());
    level.w = x + kBorder;
    level.h = std::max(height, kBorder + kItemHeight) + kBorder;
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
}

void X11PopupMenu::openLevel(const std::vector<PopupMenuEntry>& entries, int rootX, int rootY, int avoidLeft)
{
    Level level;
    level.entries = &entries;
    layout(level);
    const int screen = DefaultScreen(display);
    const int screenWidth = DisplayWidth(display, screen);
    const int screenHeight = DisplayHeight(display, screen);
    // Keep the menu on the screen: flip to the left of the parent menu, or push it back in.
    if (rootX + level.w > screenWidth)
        rootX = avoidLeft >= 0 ? avoidLeft - level.w : screenWidth - level.w;
    if (rootY + level.h > screenHeight)
        rootY = screenHeight - level.h;
    level.x = std::max(0, rootX);
    level.y = std::max(0, rootY);

    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.background_pixel = WhitePixel(display, screen);
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
    level.window = XCreateWindow(display, DefaultRootWindow(display), level.x, level.y, unsigned(level.w),
        unsigned(level.h), 0, CopyFromParent, InputOutput, CopyFromParent,
        CWOverrideRedirect | CWSaveUnder | CWBackPixel | CWEventMask, &attributes);
    XStoreName(display, level.window, "Tovarine menu");
    XMapRaised(display, level.window);
    levels.push_back(std::move(level));
    XFlush(display);
}

void X11PopupMenu::closeLevelsAbove(size_t depth)
{
    while (levels.size() > depth) {
        XDestroyWindow(display, levels.back().window);
        levels.pop_back();
    }
    if (!levels.empty())
        levels.back().openedFrom = -1;
    XFlush(display);
}

void X11PopupMenu::paint(const Level& level)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, level.window, &attributes))
        return;
    // Drawn into an image first and sent in one piece: no text is rendered by the server
    // connection, so nothing of it outlives the menu in Cairo's font caches.
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, level.w, level.h);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    setColor(cr, kBackground);
    cairo_paint(cr);
    setColor(cr, kBorderColor);
    cairo_rectangle(cr, 0.5, 0.5, level.w - 1, level.h - 1);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    const auto& entries = *level.entries;
    for (size_t i = 0; i < entries.size(); ++i) {
        const PopupMenuEntry& entry = entries[i];
        const ItemBox& box = level.boxes[i];
        if (entry.kind == PopupMenuEntry::kSeparator) {
            setColor(cr, kGreyText);
            cairo_rectangle(cr, box.x + 4, box.y + box.h / 2, box.w - 8, 1);
            cairo_fill(cr);
            continue;
        }
        const bool highlighted = int(i) == level.highlighted && isChoosable(entry);
        if (highlighted) {
            setColor(cr, kHighlight);
            cairo_rectangle(cr, box.x, box.y, box.w, box.h);
            cairo_fill(cr);
        }
        const Colors& textColor = highlighted ? kHighlightText
            : (entry.kind == PopupMenuEntry::kGreyed ? kGreyText : kText);
        setColor(cr, textColor);
        const int middle = box.y + box.h / 2;
        if (entry.checked) {
            cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
            cairo_set_line_width(cr, 2);
            cairo_move_to(cr, box.x + 6, middle);
            cairo_line_to(cr, box.x + 9, middle + 4);
            cairo_line_to(cr, box.x + 15, middle - 4);
            cairo_stroke(cr);
            cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        }
        if (entry.kind == PopupMenuEntry::kSubmenu) {
            const int right = box.x + box.w - 10;
            cairo_move_to(cr, right - 4, middle - 4);
            cairo_line_to(cr, right, middle);
            cairo_line_to(cr, right - 4, middle + 4);
            cairo_close_path(cr);
            cairo_fill(cr);
        }
        selectFont(cr, entry.kind == PopupMenuEntry::kTitle);
        cairo_font_extents_t font;
        cairo_font_extents(cr, &font);
        cairo_move_to(cr, box.x + kTextLeft, std::round(middle + (font.ascent - font.descent) / 2));
        cairo_show_text(cr, entry.text.c_str());
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    copyImageToDrawable(display, level.window, attributes.visual, attributes.depth, level.w, level.h, surface,
        CRect(0, 0, level.w, level.h));
    cairo_surface_destroy(surface);
    XFlush(display);
}

bool X11PopupMenu::hit(int rootX, int rootY, size_t& depth, int& item) const
{
    // The innermost menu lies on top of its parents.
    for (size_t d = levels.size(); d-- > 0;) {
        const Level& level = levels[d];
        const int x = rootX - level.x, y = rootY - level.y;
        if (x < 0 || y < 0 || x >= level.w || y >= level.h)
            continue;
        depth = d;
        item = -1;
        for (size_t i = 0; i < level.boxes.size(); ++i) {
            const ItemBox& box = level.boxes[i];
            if (x >= box.x && x < box.x + box.w && y >= box.y && y < box.y + box.h)
                item = int(i);
        }
        return true;
    }
    return false;
}

void X11PopupMenu::hover(size_t depth, int item)
{
    Level& level = levels[depth];
    if (level.highlighted != item) {
        level.highlighted = item;
        paint(level);
    }
    if (level.openedFrom == item)
        return;
    closeLevelsAbove(depth + 1);
    if (item >= 0 && (*level.entries)[size_t(item)].kind == PopupMenuEntry::kSubmenu && levels.size() < kMaxLevels) {
        const ItemBox& box = level.boxes[size_t(item)];
        const auto& submenu = (*level.entries)[size_t(item)].submenu;
        levels[depth].openedFrom = item;
        const int parentLeft = level.x;
        openLevel(submenu, level.x + box.x + box.w - 2, level.y + box.y - kBorder, parentLeft);
    }
}

void X11PopupMenu::moveHighlight(int direction)
{
    Level& level = levels.back();
    const int count = int(level.entries->size());
    if (count == 0)
        return;
    int index = level.highlighted;
    for (int step = 0; step < count; ++step) {
        index = index < 0 ? (direction > 0 ? 0 : count - 1) : (index + direction + count) % count;
        if (isChoosable((*level.entries)[size_t(index)])) {
            level.highlighted = index;
            paint(level);
            return;
        }
    }
}

bool X11PopupMenu::activate(size_t depth, int item)
{
    if (item < 0)
        return false;
    const PopupMenuEntry& entry = (*levels[depth].entries)[size_t(item)];
    if (entry.kind == PopupMenuEntry::kSubmenu) {
        hover(depth, item);
        return false;
    }
    if (entry.kind != PopupMenuEntry::kItem || entry.command < 0)
        return false;
    result = entry.command;
    finished = true;
    return true;
}

int32_t X11PopupMenu::run(const std::vector<PopupMenuEntry>& entries, int rootX, int rootY, bool rightButton)
{
    result = -1;
    finished = false;
    levels.reserve(kMaxLevels);
    openLevel(entries, rootX, rootY, -1);
    const Window grabWindow = levels.front().window;
    // Without the pointer grab a click outside could never close the menu, so another
    // client's grab that does not end soon cancels it.
    int grab = GrabNotViewable;
    for (int attempt = 0; attempt < kGrabAttempts && grab != GrabSuccess; ++attempt) {
        grab = XGrabPointer(display, grabWindow, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
            GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
        if (grab != GrabSuccess)
            poll(nullptr, 0, kGrabRetryMs);
    }
    if (grab != GrabSuccess) {
        closeLevelsAbove(0);
        return -1;
    }
    XGrabKeyboard(display, grabWindow, True, GrabModeAsync, GrabModeAsync, CurrentTime);
    XFlush(display);

    // The release of the button that opened the menu chooses nothing unless the pointer
    // has been moved onto an entry since, or a button was pressed inside the menu.
    bool trackedOntoItem = false;
    bool pressedInside = false;
    while (!finished) {
        if (!XPending(display)) {
            pollfd descriptor{ConnectionNumber(display), POLLIN, 0};
            poll(&descriptor, 1, kPollMs);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        const Window target = event.xany.window;
        auto own = std::find_if(levels.begin(), levels.end(), [&](const Level& l) { return l.window == target; });
        const bool menuEvent = own != levels.end() || event.type == ButtonPress || event.type == ButtonRelease
            || event.type == MotionNotify || event.type == KeyPress;
        if (!menuEvent) {
            if (otherEvent)
                otherEvent(event);
            continue;
        }
        size_t depth = 0;
        int item = -1;
        switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0)
                paint(*own);
            break;
        case MotionNotify:
            if (hit(event.xmotion.x_root, event.xmotion.y_root, depth, item)) {
                hover(depth, item);
                if (item >= 0)
                    trackedOntoItem = true;
            } else if (!levels.empty() && levels.back().highlighted >= 0 && levels.back().openedFrom < 0) {
                levels.back().highlighted = -1;
                paint(levels.back());
            }
            break;
        case ButtonPress:
            if (!hit(event.xbutton.x_root, event.xbutton.y_root, depth, item))
                finished = true;  // a click outside every menu dismisses them
            else
                pressedInside = true;
            break;
        case ButtonRelease: {
            const bool choosingButton = event.xbutton.button == Button1 || (rightButton && event.xbutton.button == Button3);
            if (!choosingButton || !(trackedOntoItem || pressedInside))
                break;
            if (hit(event.xbutton.x_root, event.xbutton.y_root, depth, item))
                activate(depth, item);
            break;
        }
        case KeyPress: {
            const KeySym key = XLookupKeysym(&event.xkey, 0);
            if (key == XK_Escape) {
                if (levels.size() > 1)
                    closeLevelsAbove(levels.size() - 1);
                else
                    finished = true;
            } else if (key == XK_Down) {
                moveHighlight(1);
            } else if (key == XK_Up) {
                moveHighlight(-1);
            } else if (key == XK_Right) {
                Level& level = levels.back();
                if (level.highlighted >= 0 && (*level.entries)[size_t(level.highlighted)].kind == PopupMenuEntry::kSubmenu) {
                    hover(levels.size() - 1, level.highlighted);
                    moveHighlight(1);
                }
            } else if (key == XK_Left) {
                if (levels.size() > 1)
                    closeLevelsAbove(levels.size() - 1);
            } else if (key == XK_Return || key == XK_KP_Enter || key == XK_space) {
                const std::vector<PopupMenuEntry>* current = levels.back().entries;
                const int highlighted = levels.back().highlighted;
                if (activate(levels.size() - 1, highlighted))
                    break;
                if (highlighted >= 0 && (*current)[size_t(highlighted)].kind == PopupMenuEntry::kSubmenu)
                    moveHighlight(1);
            }
            break;
        }
        default:
            break;
        }
    }
    XUngrabKeyboard(display, CurrentTime);
    XUngrabPointer(display, CurrentTime);
    closeLevelsAbove(0);
    XSync(display, False);
    return result;
}

#include "editor/skin/SkinArt.h"
#include "TovarineVersion.h"

#include <cmath>

namespace skin {
namespace {

struct Rgb {
    double r, g, b;
};
constexpr Rgb rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }

// The palette: the display's bar yellow and dark brown, on a deep umber panel.
constexpr Rgb kBarYellow = rgb(255, 230, 58);
constexpr Rgb kDarkBrown = rgb(121, 67, 9);
constexpr Rgb kPanel = rgb(48, 30, 14);
constexpr Rgb kPanelLight = rgb(74, 47, 20);
constexpr Rgb kEngraving = rgb(214, 176, 92);
constexpr Rgb kKnobBody = rgb(32, 20, 9);

constexpr const char* kFont = "Liberation Sans";

void setColour(cairo_t* cr, Rgb c) { cairo_set_source_rgb(cr, c.r, c.g, c.b); }

void fillRect(cairo_t* cr, double x, double y, double w, double h, Rgb c)
{
    setColour(cr, c);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

// Text centred horizontally on cx with its baseline at y.
void centredText(cairo_t* cr, const char* text, double cx, double y, double size, bool bold, Rgb c)
{
    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    setColour(cr, c);
    cairo_move_to(cr, std::round(cx - extents.width / 2 - extents.x_bearing), y);
    cairo_show_text(cr, text);
}

void leftText(cairo_t* cr, const char* text, double x, double y, double size, bool bold, Rgb c)
{
    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    setColour(cr, c);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text);
}

// A thin engraved line with a section title sitting on it.
void sectionTitle(cairo_t* cr, const char* title, double x0, double x1, double y)
{
    cairo_set_line_width(cr, 1);
    setColour(cr, kDarkBrown);
    cairo_move_to(cr, x0, y + 0.5);
    cairo_line_to(cr, x1, y + 0.5);
    cairo_stroke(cr);
    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 9);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, title, &extents);
    const double cx = (x0 + x1) / 2;
    fillRect(cr, cx - extents.width / 2 - 5, y - 5, extents.width + 10, 10, kPanel);
    centredText(cr, title, cx, y + 3, 9, true, kEngraving);
}

struct KnobLabel {
    int left;
    const char* text;
};
// Knob columns of the editor (30 pixels wide, row 365..395) and the names under them.
constexpr KnobLabel kKnobLabels[] = {
    {118, "Fb Lvl."}, {153, "Fb Vel."}, {188, "Fb Dist."}, {223, "Fb Cut."}, {258, "Fb Reso"}, {310, "Fb Dsc"},
    {345, "Fb Attk"}, {380, "Fb Decy"}, {415, "Fb Sust"}, {450, "Fb Rels"}, {551, "Mix (Wet)"}, {586, "Out Lvl"},
};

void paintBackground(cairo_t* cr)
{
    // Panel with a soft vertical sheen.
    cairo_pattern_t* sheen = cairo_pattern_create_linear(0, 0, 0, 420);
    cairo_pattern_add_color_stop_rgb(sheen, 0, kPanelLight.r, kPanelLight.g, kPanelLight.b);
    cairo_pattern_add_color_stop_rgb(sheen, 0.35, kPanel.r, kPanel.g, kPanel.b);
    cairo_pattern_add_color_stop_rgb(sheen, 1, kPanel.r * 0.8, kPanel.g * 0.8, kPanel.b * 0.8);
    cairo_set_source(cr, sheen);
    cairo_paint(cr);
    cairo_pattern_destroy(sheen);

    // Logo and product line.
    leftText(cr, "TOVARINE", 14, 44, 30, true, kBarYellow);
    leftText(cr, "88 RESONATOR", 16, 64, 12, true, kEngraving);
    // A row of 88 tiny key marks under the logo, one per resonator.
    for (int key = 0; key < 88; ++key) {
        const int pitchClass = (key + 9) % 12;  // resonator 0 is A
        const bool black = pitchClass == 1 || pitchClass == 3 || pitchClass == 6 || pitchClass == 8 || pitchClass == 10;
        fillRect(cr, 200 + key * 4.8, black ? 40 : 36, 3, black ? 8 : 12, black ? kDarkBrown : kEngraving);
    }
    leftText(cr, "comb-filter resonator bank", 200, 64, 10, false, kEngraving);

    sectionTitle(cr, "RESONATORS", 11, 628, 84);

    // Recessed wells behind the selector, the bar display and the envelope strip.
    fillRect(cr, 9, 90, 621, 249, kKnobBody);
    fillRect(cr, 11, 92, 617, 29, kDarkBrown);
    fillRect(cr, 11, 125, 617, 200, kDarkBrown);
    fillRect(cr, 11, 330, 617, 7, kDarkBrown);

    sectionTitle(cr, "FEEDBACK", 14, 484, 352);
    sectionTitle(cr, "OUTPUT", 548, 620, 352);

    // The feedback delay read-out sits in a small frame with its caption.
    fillRect(cr, 45, 373, 54, 18, kKnobBody);
    centredText(cr, "Delay", 72, 404, 9, false, kEngraving);

    for (const KnobLabel& k : kKnobLabels)
        centredText(cr, k.text, k.left + 15, 407, 8, false, kEngraving);

    leftText(cr, "v" TOVARINE_VERSION, 604, 414, 8, false, kDarkBrown);
}

void paintKnobBackground(cairo_t* cr)
{
    fillRect(cr, 0, 0, 30, 30, kPanel);  // matches the panel behind the knob row
    // Scale dots from 5pi/4 to -pi/4 (the knob's travel).
    setColour(cr, kEngraving);
    for (int i = 0; i <= 10; ++i) {
        const double angle = 5 * M_PI / 4 - i * (3 * M_PI / 2) / 10;
        cairo_arc(cr, 15 + std::cos(angle) * 14, 15 - std::sin(angle) * 14, 0.7, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    cairo_pattern_t* body = cairo_pattern_create_radial(12, 11, 1, 15, 15, 12);
    cairo_pattern_add_color_stop_rgb(body, 0, 0.42, 0.30, 0.16);
    cairo_pattern_add_color_stop_rgb(body, 1, kKnobBody.r, kKnobBody.g, kKnobBody.b);
    cairo_set_source(cr, body);
    cairo_arc(cr, 15, 15, 11.5, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
    setColour(cr, kDarkBrown);
    cairo_set_line_width(cr, 1);
    cairo_arc(cr, 15, 15, 11.5, 0, 2 * M_PI);
    cairo_stroke(cr);
}

void paintKnobHandle(cairo_t* cr)
{
    // White is the transparent colour of handle bitmaps: only the dot shows.
    fillRect(cr, 0, 0, 5, 5, rgb(255, 255, 255));
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    fillRect(cr, 1, 0, 3, 5, kBarYellow);
    fillRect(cr, 0, 1, 5, 3, kBarYellow);
}

void paintSelectorStrip(cairo_t* cr)
{
    for (int image = 0; image < kSelectorSegments; ++image) {
        const double top = image * kSelectorImageHeight;
        fillRect(cr, 0, top, 617, kSelectorImageHeight, kDarkBrown);
        int x = 0;
        for (int segment = 0; segment < kSelectorSegments; ++segment) {
            const int w = kSelectorSegmentWidths[segment];
            const bool selected = segment == image;
            if (selected)
                fillRect(cr, x + 1, top + 2, w - 1, kSelectorImageHeight - 4, kBarYellow);
            else if (segment > 0)
                fillRect(cr, x, top + 6, 1, kSelectorImageHeight - 12, kPanel);
            centredText(cr, kSelectorLabels[segment], x + w / 2.0, top + 18, 9.5, selected,
                        selected ? kDarkBrown : kEngraving);
            x += w;
        }
    }
}

cairo_surface_t* paint(int width, int height, void (*painter)(cairo_t*))
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    painter(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

}  // namespace

cairo_surface_t* createSkinImage(int resourceId)
{
    switch (resourceId) {
    case kBackgroundId:
        return paint(640, 420, paintBackground);
    case kKnobHandleId:
        return paint(5, 5, paintKnobHandle);
    case kKnobBackgroundId:
        return paint(30, 30, paintKnobBackground);
    case kSelectorStripId:
        return paint(617, kSelectorSegments * kSelectorImageHeight, paintSelectorStrip);
    default:
        return nullptr;
    }
}

}  // namespace skin

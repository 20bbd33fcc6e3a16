#include "tools/RenderPlot.h"

#include "tools/FileUtil.h"
#include "tools/PendingOutput.h"
#include "tools/ToolError.h"

#include <cairo.h>
#include <kiss_fftr.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

namespace tovarine::cli {

namespace {

constexpr int kFftSize = 4096;            // 10.8 Hz bins at 44.1 kHz: enough to separate low resonators
constexpr double kLowestHz = 20.0;
constexpr double kFloorDb = -110.0;       // black in the spectrogram
constexpr double kMargin = 56.0;          // room for axis labels, pixels
constexpr double kWaveShare = 0.32;       // the waveform's share of the plotting height
constexpr double kLabelGap = 14.0;        // pixels kept free between two time labels
constexpr double kTextHeight = 13.0;      // pixels one line of labels takes (12-point text)
constexpr int kMinPictureSize = 200;
constexpr int kMaxPictureSize = 8000;

struct Rgb {
    double r, g, b;
};

// Dark blue through magenta and orange to pale yellow as the level rises.
Rgb heatColour(double t)
{
    static const Rgb stops[] = {{0.0, 0.0, 0.02}, {0.15, 0.05, 0.35}, {0.55, 0.1, 0.5}, {0.9, 0.35, 0.2}, {1.0, 0.75, 0.2}, {1.0, 1.0, 0.85}};
    constexpr int count = sizeof(stops) / sizeof(stops[0]);
    t = std::clamp(t, 0.0, 1.0) * (count - 1);
    const int i = std::min(static_cast<int>(t), count - 2);
    const double f = t - i;
    return {stops[i].r + f * (stops[i + 1].r - stops[i].r), stops[i].g + f * (stops[i + 1].g - stops[i].g),
            stops[i].b + f * (stops[i + 1].b - stops[i].b)};
}

struct FftDeleter {
    void operator()(kiss_fftr_cfg cfg) const { kiss_fftr_free(cfg); }
};

// Magnitude spectra in dB (full-scale sine = 0 dB), one per pixel column.
std::vector<std::vector<float>> spectrogram(const StereoBuffer& audio, int columns)
{
    std::unique_ptr<std::remove_pointer_t<kiss_fftr_cfg>, FftDeleter> fft(kiss_fftr_alloc(kFftSize, 0, nullptr, nullptr));
    std::vector<float> window(kFftSize);
    double windowSum = 0.0;
    for (int i = 0; i < kFftSize; ++i) {
        window[static_cast<std::size_t>(i)] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / kFftSize));
        windowSum += window[static_cast<std::size_t>(i)];
    }
    std::vector<float> frame(kFftSize);
    std::vector<kiss_fft_cpx> bins(kFftSize / 2 + 1);
    std::vector<std::vector<float>> result(static_cast<std::size_t>(columns));
    const auto frames = static_cast<double>(audio.frames());
    for (int x = 0; x < columns; ++x) {
        const auto centre = static_cast<long long>((x + 0.5) * frames / columns);
        for (int i = 0; i < kFftSize; ++i) {
            const long long at = centre - kFftSize / 2 + i;
            const bool inside = at >= 0 && at < static_cast<long long>(audio.frames());
            const float mono = inside ? 0.5f * (audio.left[static_cast<std::size_t>(at)] + audio.right[static_cast<std::size_t>(at)]) : 0.f;
            frame[static_cast<std::size_t>(i)] = mono * window[static_cast<std::size_t>(i)];
        }
        kiss_fftr(fft.get(), frame.data(), bins.data());
        auto& column = result[static_cast<std::size_t>(x)];
        column.resize(bins.size());
        for (std::size_t k = 0; k < bins.size(); ++k) {
            const double magnitude = std::hypot(bins[k].r, bins[k].i) * 2.0 / windowSum;
            column[k] = static_cast<float>(20.0 * std::log10(std::max(magnitude, 1e-12)));
        }
    }
    return result;
}

void label(cairo_t* cr, double x, double y, const char* text, double alignX = 0.0)
{
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    cairo_move_to(cr, x - alignX * extents.width, y);
    cairo_show_text(cr, text);
}

void drawWaveform(cairo_t* cr, const std::vector<float>& samples, double left, double top, double width, double height)
{
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.12);
    cairo_rectangle(cr, left, top, width, height);
    cairo_fill(cr);
    const double middle = top + height / 2;
    cairo_set_source_rgb(cr, 0.3, 0.3, 0.35);
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, left, middle + 0.5);
    cairo_line_to(cr, left + width, middle + 0.5);
    cairo_stroke(cr);
    if (samples.empty())
        return;
    // One vertical line per column from the lowest to the highest sample in it.
    float peak = 1.f;
    for (float s : samples)
        peak = std::max(peak, std::fabs(s));
    cairo_set_source_rgb(cr, 0.45, 0.8, 0.95);
    const auto columns = static_cast<int>(width);
    for (int x = 0; x < columns; ++x) {
        const auto begin = static_cast<std::size_t>(static_cast<double>(x) * samples.size() / columns);
        const auto end = std::max(begin + 1, static_cast<std::size_t>(static_cast<double>(x + 1) * samples.size() / columns));
        float low = samples[std::min(begin, samples.size() - 1)], high = low;
        for (std::size_t i = begin; i < end && i < samples.size(); ++i) {
            low = std::min(low, samples[i]);
            high = std::max(high, samples[i]);
        }
        cairo_move_to(cr, left + x + 0.5, middle - high / peak * height / 2);
        cairo_line_to(cr, left + x + 0.5, middle - low / peak * height / 2 + 1);
    }
    cairo_stroke(cr);
}

double textWidth(cairo_t* cr, const std::string& text)
{
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

std::string timeLabel(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%g s", seconds);
    return text;
}

// The title as it fits in `room` pixels: whole, else without its folders, else
// its end after an ellipsis.
std::string fittedTitle(cairo_t* cr, const std::string& title, double room)
{
    if (textWidth(cr, title) <= room)
        return title;
    std::string shorter = title.substr(title.find_last_of('/') + 1);
    if (textWidth(cr, shorter) <= room)
        return shorter;
    const std::string ellipsis = "\u2026";
    while (!shorter.empty() && textWidth(cr, ellipsis + shorter) > room) {
        // Drop one whole UTF-8 character from the front.
        std::size_t cut = 1;
        while (cut < shorter.size() && (static_cast<unsigned char>(shorter[cut]) & 0xC0) == 0x80)
            ++cut;
        shorter.erase(0, cut);
    }
    return shorter.empty() ? std::string() : ellipsis + shorter;
}

cairo_status_t writeToFile(void* closure, const unsigned char* data, unsigned int length)
{
    auto* file = static_cast<std::FILE*>(closure);
    return std::fwrite(data, 1, length, file) == length ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

void writePng(cairo_surface_t* surface, PendingOutput& png)
{
    std::FILE* file = std::fopen(png.temporaryPath().c_str(), "wb");
    if (!file)
        throw ToolError("cannot write picture " + png.path() + ": " + std::strerror(errno));
    errno = 0;
    const bool written = cairo_surface_write_to_png_stream(surface, writeToFile, file) == CAIRO_STATUS_SUCCESS;
    const int writeErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        const int reason = !written && writeErrno ? writeErrno : errno ? errno : EIO;
        throw ToolError("cannot write picture " + png.path() + ": " + std::strerror(reason));
    }
    png.commit();
}

double chooseTimeLabelStep(double seconds, double axisPixels, const std::function<double(double step)>& labelPixels)
{
    if (!(seconds > 0) || !(axisPixels > 0))
        return 1.0;
    static const double mantissas[] = {1.0, 2.0, 5.0};
    for (double decade = 1e-3;; decade *= 10.0)
        for (double mantissa : mantissas) {
            const double step = mantissa * decade;
            if (axisPixels * step / seconds >= labelPixels(step) || step >= seconds)
                return step;
        }
}

}  // namespace

void checkPlotSettings(const PlotSettings& settings)
{
    const auto fits = [](int size) { return size >= kMinPictureSize && size <= kMaxPictureSize; };
    if (!fits(settings.width) || !fits(settings.height))
        throw usageError("picture size must be 200..8000 pixels each way, not " + std::to_string(settings.width) + " x "
                         + std::to_string(settings.height));
}

void checkPictureName(const std::string& path)
{
    if (path.empty())
        throw usageError("a picture needs a file name (- writes it to standard output)");
    if (path != "-" && lowerCaseExtension(path) != "png")
        throw usageError(path + ": pictures are written as PNG; give the file a .png name");
}

double timeLabelStep(double seconds, double axisPixels, double labelPixels)
{
    return chooseTimeLabelStep(seconds, axisPixels, [labelPixels](double) { return labelPixels; });
}

void writeRenderPlot(const StereoBuffer& audio, PendingOutput& png, const PlotSettings& settings)
{
    checkPlotSettings(settings);
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, settings.width, settings.height), cairo_surface_destroy);
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> context(cairo_create(surface.get()), cairo_destroy);
    cairo_t* cr = context.get();
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.06);
    cairo_paint(cr);
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12.0);

    const double plotLeft = kMargin;
    const double plotWidth = std::floor(settings.width - 1.5 * kMargin);
    const double plotTop = 30.0;
    const double plotHeight = settings.height - plotTop - 36.0;
    const double laneHeight = std::floor(plotHeight * kWaveShare / 2 - 4);
    const double spectrumTop = plotTop + 2 * laneHeight + 16;
    const double spectrumHeight = std::floor(plotTop + plotHeight - spectrumTop);
    const double seconds = static_cast<double>(audio.frames()) / audio.sampleRate;

    cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
    char facts[96];
    std::snprintf(facts, sizeof(facts), "(%.2f s, %.0f Hz%s)", seconds, audio.sampleRate, settings.mono ? ", mono" : "");
    // The title starts above the plot where there is room, at the edge of a small picture,
    // where the file's name goes before the details.
    const double titleLeft = settings.width >= 400 ? plotLeft : 8.0;
    const std::string fileName = settings.title.substr(settings.title.find_last_of('/') + 1);
    if (textWidth(cr, fileName + "  " + facts) > settings.width - titleLeft - 8.0)
        std::snprintf(facts, sizeof(facts), "(%.1f s)", seconds);
    const double titleRoom = settings.width - titleLeft - 8.0 - textWidth(cr, std::string("  ") + facts);
    const std::string title = fittedTitle(cr, settings.title, titleRoom);
    label(cr, titleLeft, 20.0, (title.empty() ? std::string() : title + "  ").append(facts).c_str());

    if (settings.mono) {
        drawWaveform(cr, audio.left, plotLeft, plotTop, plotWidth, 2 * laneHeight + 6);
    } else {
        drawWaveform(cr, audio.left, plotLeft, plotTop, plotWidth, laneHeight);
        drawWaveform(cr, audio.right, plotLeft, plotTop + laneHeight + 6, plotWidth, laneHeight);
        cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
        label(cr, plotLeft - 8, plotTop + laneHeight / 2 + 4, "L", 1.0);
        label(cr, plotLeft - 8, plotTop + laneHeight * 1.5 + 10, "R", 1.0);
    }

    // Spectrogram pixels, written straight into the surface.
    const auto columns = static_cast<int>(plotWidth);
    const auto rows = static_cast<int>(spectrumHeight);
    const auto spectra = spectrogram(audio, columns);
    const double nyquist = audio.sampleRate / 2;
    cairo_surface_flush(surface.get());
    unsigned char* pixels = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < rows; ++y) {
        // Row y shows frequency f = 20 Hz x (nyquist / 20 Hz)^(1 - y / rows).
        const double frequency = kLowestHz * std::pow(nyquist / kLowestHz, 1.0 - (y + 0.5) / rows);
        const double bin = frequency / audio.sampleRate * kFftSize;
        const auto k = std::min(static_cast<std::size_t>(bin), static_cast<std::size_t>(kFftSize / 2 - 1));
        const double f = bin - static_cast<double>(k);
        auto* row = reinterpret_cast<uint32_t*>(pixels + static_cast<std::ptrdiff_t>(spectrumTop + y) * stride);
        for (int x = 0; x < columns; ++x) {
            const auto& column = spectra[static_cast<std::size_t>(x)];
            const double db = column[k] + f * (column[k + 1] - column[k]);
            const Rgb c = heatColour((db - kFloorDb) / -kFloorDb);
            row[static_cast<int>(plotLeft) + x] = (static_cast<uint32_t>(c.r * 255) << 16) | (static_cast<uint32_t>(c.g * 255) << 8)
                                                  | static_cast<uint32_t>(c.b * 255);
        }
    }
    cairo_surface_mark_dirty(surface.get());

    // Axes: frequency marks on the spectrogram, times in seconds below it.
    cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
    double lastLabelY = spectrumTop + rows + kTextHeight;  // below the lowest row
    for (double hz : {50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0, 20000.0}) {
        if (hz >= nyquist)
            break;
        const double y = spectrumTop + rows * (1.0 - std::log(hz / kLowestHz) / std::log(nyquist / kLowestHz));
        if (lastLabelY - y < kTextHeight)
            continue;  // a short spectrogram has room for fewer marks
        lastLabelY = y;
        char text[32];
        std::snprintf(text, sizeof(text), hz >= 1000 ? "%.0fk" : "%.0f", hz >= 1000 ? hz / 1000 : hz);
        label(cr, plotLeft - 6, y + 4, text, 1.0);
    }
    // The widest label of a step is the last one; labels are drawn at whole multiples of the step.
    const auto labelPixels = [&](double step) {
        return textWidth(cr, timeLabel(std::floor(seconds / step + 1e-9) * step)) + kLabelGap;
    };
    const double step = chooseTimeLabelStep(seconds, plotWidth, labelPixels);
    for (long k = 0; seconds > 0 && static_cast<double>(k) * step <= seconds + 1e-9; ++k) {
        const double t = static_cast<double>(k) * step;
        label(cr, plotLeft + plotWidth * t / seconds, spectrumTop + rows + 16, timeLabel(t).c_str(), 0.5);
    }
    cairo_surface_flush(surface.get());
    writePng(surface.get(), png);
}

}  // namespace tovarine::cli

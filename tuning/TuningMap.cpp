#include "tuning/TuningMap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "tuning/DecimalPrefix.h"
#include "tuning/ScalaText.h"
#include "tuning/TunLineReader.h"

TuningMap::TuningMap()
{
    resetToStandard();
}

void TuningMap::resetToStandard()
{
    for (int n = 0; n < kNumNotes; ++n)
        noteCents[n] = 100.0 * n;
    baseFrequency = kStandardBaseFrequency;
    std::snprintf(name, sizeof(name), "%s", "standard");
    errorText[0] = '\0';
}

double TuningMap::frequencyOfNote(int note)
{
    errorText[0] = '\0';
    return frequencyOf(note);
}

double TuningMap::frequencyOf(int note) const
{
    const double cents = (note >= 0 && note < kNumNotes) ? noteCents[note] : 100.0 * note;
    return baseFrequency * std::exp2(cents / 1200.0);
}

void TuningMap::setNoteFrequency(int note, double frequency)
{
    errorText[0] = '\0';
    if (note < 0 || note >= kNumNotes) {
        std::snprintf(errorText, sizeof(errorText), "Note index out of range: %d", note);
        return;
    }
    noteCents[note] = 1200.0 * std::log2(frequency / baseFrequency);
}

void TuningMap::assign(const double (&cents)[kNumNotes], const char* newName)
{
    std::memcpy(noteCents, cents, sizeof(noteCents));
    std::snprintf(name, sizeof(name), "%s", newName);
    errorText[0] = '\0';
}

namespace {

enum class Section { None, Unknown, Tuning, ExactTuning };

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string_view trimEnd(std::string_view text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string_view trimStart(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    return text;
}

// The map's name is the file name without folders and extension: the text
// after the last '/' or '\' up to the first '.' after it, cut to what fits.
void copyNameFromPath(const char* path, char* name, std::size_t nameSize)
{
    const char* start = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\')
            start = p + 1;
    std::size_t length = std::strcspn(start, ".");
    if (length > nameSize - 1)
        length = nameSize - 1;
    std::memcpy(name, start, length);
    name[length] = '\0';
}

} // namespace

bool TuningMap::loadFromFile(const char* path)
{
    // The audio thread reads the table while a file loads. Reading into a
    // scratch map and copying the result at the end keeps it from seeing a
    // half-read or reset table for the duration of the file access.
    TuningMap scratch;
    const bool loaded = scratch.readFile(path);
    std::memcpy(noteCents, scratch.noteCents, sizeof(noteCents));
    baseFrequency = scratch.baseFrequency;
    std::memcpy(name, scratch.name, sizeof(name));
    std::memcpy(errorText, scratch.errorText, sizeof(errorText));
    return loaded;
}

bool TuningMap::readFile(const char* path)
{
    resetToStandard();
    if (!path)
        path = "";

    // "[tuning]" values are whole cents; they count only if the file has no
    // "[exact tuning]" section, so they are collected apart.
    int wholeCents[kNumNotes];
    for (int n = 0; n < kNumNotes; ++n)
        wholeCents[n] = 100 * n;

    // The name is kept even when the load fails, so the caller can show
    // which file was meant.
    if (std::strlen(path) > 4)
        copyNameFromPath(path, name, sizeof(name));

    // Every error names the file first, then the line where there is one.
    std::string fileName = scala_text::fileNameOf(path);
    if (fileName.empty())
        fileName = "the tuning file";
    const char* fileText = fileName.c_str();

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file) {
        std::snprintf(errorText, sizeof(errorText), "%s: cannot open the file", fileText);
        return false;
    }

    TunLineReader reader(file.get());
    Section section = Section::None;
    bool sawTuning = false;
    bool sawExactTuning = false;
    int highestExactNote = -1;
    std::string_view rawLine;

    for (;;) {
        const TunLineReader::Status status = reader.next(rawLine);
        if (status == TunLineReader::Status::End)
            break;
        if (status == TunLineReader::Status::TooLong) {
            std::snprintf(errorText, sizeof(errorText), "%s: line %d: expected a line of at most %d characters", fileText,
                          reader.lineNumber(), static_cast<int>(TunLineReader::kMaxLineLength));
            return false;
        }

        const std::string_view line = trimBlanks(rawLine);
        if (line.empty() || line.front() == ';')
            continue;

        if (line.front() == '[') {
            if (line.back() != ']') {
                std::snprintf(errorText, sizeof(errorText),
                              "%s: line %d: expected a section tag such as [Exact Tuning] alone on its line", fileText,
                              reader.lineNumber());
                return false;
            }
            if (line == "[tuning]") {
                section = Section::Tuning;
                sawTuning = true;
            } else if (line == "[exact tuning]") {
                section = Section::ExactTuning;
                sawExactTuning = true;
            } else {
                section = Section::Unknown;
            }
            continue;
        }

        if (section != Section::Tuning && section != Section::ExactTuning)
            continue;

        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            std::snprintf(errorText, sizeof(errorText), "%s: line %d: expected KEY = VALUE, such as note 69 = 6900", fileText,
                          reader.lineNumber());
            return false;
        }
        const std::string_view key = trimEnd(line.substr(0, equals));
        const std::string_view value = trimStart(line.substr(equals + 1));

        if (key.starts_with("note")) {
            // "note 60", "note60" and "notes" (note 0) all address a note.
            const int note = parseIntegerPrefix(key.substr(4));
            if (note < 0 || note >= kNumNotes)
                continue;
            if (section == Section::Tuning) {
                wholeCents[note] = parseIntegerPrefix(value);
            } else {
                // A value beyond the range of a double would make the note's
                // frequency infinite or zero; such a line is skipped.
                const double cents = parseRealPrefix(value);
                if (!std::isfinite(cents))
                    continue;
                noteCents[note] = cents;
                highestExactNote = std::max(highestExactNote, note);
            }
        } else if (section == Section::ExactTuning && key == "basefreq") {
            // Only a positive, finite frequency can be a base for the table.
            const double hz = parseRealPrefix(value);
            if (std::isfinite(hz) && hz > 0.0)
                baseFrequency = hz;
        }
    }

    if (reader.readFailed()) {
        std::snprintf(errorText, sizeof(errorText), "%s: cannot read the file", fileText);
        return false;
    }
    if (!sawTuning && !sawExactTuning) {
        std::snprintf(errorText, sizeof(errorText), "%s: no [Tuning] or [Exact Tuning] section; the file holds no tuning", fileText);
        return false;
    }

    if (sawExactTuning) {
        repeatScaleUpwards(highestExactNote);
    } else {
        for (int n = 0; n < kNumNotes; ++n)
            noteCents[n] = wholeCents[n];
    }
    return true;
}

void TuningMap::repeatScaleUpwards(int periodNote)
{
    if (periodNote < 0 || periodNote >= kNumNotes - 1)
        return;
    // Notes 0..N form one period of the scale; note N + k lies one period
    // above note k. The period is the distance from note 0 to note N, so the
    // file's own value of note N stays as given even when note 0 is not at
    // 0 cents. Ascending order lets notes above 2N build on notes that this
    // pass has already moved up.
    const double top = noteCents[periodNote];
    const double bottom = noteCents[0];
    for (int k = 0; periodNote + k < kNumNotes; ++k)
        noteCents[periodNote + k] = top + (noteCents[k] - bottom);
}

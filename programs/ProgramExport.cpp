#include "programs/ProgramExport.h"

#include "programs/DecimalText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The 18 stored floats of a resonator in the order they are written; the
// engine-only sample words are not part of the export.
constexpr struct { const char* name; float CombSettings::* field; } kCombFields[] = {
    {"normalPitch", &CombSettings::normalPitch}, {"Delay", &CombSettings::Delay},
    {"Decay", &CombSettings::Decay},             {"Stiff", &CombSettings::Stiff},
    {"Bright", &CombSettings::Bright},           {"LFOfreq", &CombSettings::LFOfreq},
    {"Out", &CombSettings::Out},                 {"inPan", &CombSettings::inPan},
    {"Pan", &CombSettings::Pan},                 {"PanPos", &CombSettings::PanPos},
    {"LFO2Dec", &CombSettings::LFO2Dec},         {"Velocity2Pitch", &CombSettings::Velocity2Pitch},
    {"PitchGlide", &CombSettings::PitchGlide},   {"envAttack", &CombSettings::envAttack},
    {"envDecay", &CombSettings::envDecay},       {"envSustain", &CombSettings::envSustain},
    {"envRelease", &CombSettings::envRelease},   {"Velocity", &CombSettings::Velocity},
};

class StatementWriter {
public:
    explicit StatementWriter(std::FILE* file) : file_(file) {}

    // "<target> = 0.12346f;" followed by a tab; five decimals, C locale.
    void assign(const char* target, float value)
    {
        char number[400];
        formatFixed(value, 5, number, sizeof(number));
        std::fprintf(file_, "%s = %sf;\t", target, number);
    }

    // strcpy(<target>, "<text>"); with the text as a valid string literal that
    // fits its field: a record restored from a chunk may hold quotes,
    // backslashes, control characters or no NUL at all.
    void copyString(const char* target, const char* text, std::size_t fieldSize)
    {
        std::fprintf(file_, "strcpy(%s, \"", target);
        const std::size_t length = boundedLength(text, fieldSize - 1);
        for (std::size_t k = 0; k < length; ++k) {
            const auto c = static_cast<unsigned char>(text[k]);
            if (c == '"' || c == '\\')
                std::fprintf(file_, "\\%c", c);
            else if (c < 0x20 || c >= 0x7f)
                std::fprintf(file_, "\\%03o", c);
            else
                std::fputc(c, file_);
        }
        std::fputs("\");\n", file_);
    }

private:
    std::FILE* file_;
};

void writeProgram(StatementWriter& out, std::FILE* file, int p, const ProgramRecord& r)
{
    char target[96];
    for (int i = 0; i < kNumParams; ++i) {
        std::snprintf(target, sizeof(target), "programs[%d].fParams[%d]", p, i);
        out.assign(target, r.fParams[i]);
    }
    std::fputc('\n', file);
    for (int c = 0; c < kNumCombs; ++c) {
        for (const auto& f : kCombFields) {
            std::snprintf(target, sizeof(target), "programs[%d].combSettings[%d].%s", p, c, f.name);
            out.assign(target, r.combSettings[c].*f.field);
        }
    }
    std::snprintf(target, sizeof(target), "programs[%d].name", p);
    out.copyString(target, r.name, sizeof(r.name));
    std::snprintf(target, sizeof(target), "programs[%d].tuningMapPath", p);
    out.copyString(target, r.tuningMapPath, sizeof(r.tuningMapPath));
    std::snprintf(target, sizeof(target), "programs[%d].version", p);
    out.copyString(target, r.version, sizeof(r.version));
}

}  // namespace

int exportPrograms(const ProgramRecord* programs, const char* path)
{
    if (!programs || !path || !*path)
        return -1;
    std::FILE* file = std::fopen(path, "w+");
    if (!file)
        return -1;
    StatementWriter out(file);
    for (int p = 0; p < kNumPrograms; ++p)
        writeProgram(out, file, p, programs[p]);
    const bool writeFailed = std::ferror(file) != 0;
    const bool closeFailed = std::fclose(file) != 0;
    return (writeFailed || closeFailed) ? -1 : 0;
}

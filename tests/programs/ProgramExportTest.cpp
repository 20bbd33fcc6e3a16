// The exported source rebuilt by the system compiler must give back the
// store it was written from, to five decimals and with its texts intact.
#include "programs/FactoryPresets.h"
#include "programs/ProgramExport.h"
#include "tests/testhost/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// Switches LC_NUMERIC to a decimal-comma locale while alive, if one is installed.
class CommaLocale {
public:
    CommaLocale()
    {
        for (const char* candidate : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"})
            if (std::setlocale(LC_NUMERIC, candidate))
                return;
    }
    ~CommaLocale() { std::setlocale(LC_NUMERIC, "C"); }
};

std::string fiveDecimals(float v)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%.5f", static_cast<double>(v));
    return text;
}

class ProgramExport : public ::testing::Test {
protected:
    void SetUp() override { fillFactoryPresets(programs.data()); }

    testhost::ScratchDirectory scratch{"export"};
    std::vector<ProgramRecord> programs = std::vector<ProgramRecord>(kNumPrograms);
};

TEST_F(ProgramExport, CompiledSourceRebuildsTheStore)
{
    // Texts that a plain copy between quotes would break, and values that
    // need all five decimals or are far outside 0..1.
    copyText(programs[7].name, sizeof(programs[7].name), "Say \"hi\" \\ tab\tend");
    copyText(programs[7].tuningMapPath, sizeof(programs[7].tuningMapPath), "/home/u/Scales/19 EDO.tun");
    std::memset(programs[8].name, 'x', sizeof(programs[8].name));  // no NUL, as a chunk may bring
    programs[7].fParams[5] = 0.123456f;
    programs[7].combSettings[3].Delay = 16383.25f;
    programs[7].fParams[40] = -431602080.f;

    const std::string source = scratch.path() + "/exported.inc";
    {
        CommaLocale comma;  // hosts built on GTK or Qt run with the user's locale
        ASSERT_EQ(exportPrograms(programs.data(), source.c_str()), 0);
    }

    const std::string harness = scratch.path() + "/harness.cpp";
    std::ofstream(harness) << "#include \"programs/ProgramRecord.h\"\n#include <cstdio>\n#include <cstring>\n"
                              "static ProgramRecord programs[kNumPrograms];\n"
                              "int main(int, char** argv) {\n#include \"" << source << "\"\n"
                              "  std::FILE* f = std::fopen(argv[1], \"wb\");\n"
                              "  std::fwrite(programs, sizeof(programs), 1, f);\n"
                              "  return std::fclose(f);\n}\n";
    const std::string binary = scratch.path() + "/harness";
    const std::string compile = "c++ -std=c++20 -O0 -I'" TOVARINE_SOURCE_DIR "' -I'" TOVARINE_BINARY_DIR "/generated' '" + harness + "' '" TOVARINE_SOURCE_DIR
                                "/programs/ProgramRecord.cpp' -o '" + binary + "'";
    ASSERT_EQ(std::system(compile.c_str()), 0) << compile;
    const std::string store = scratch.path() + "/store.bin";
    ASSERT_EQ(std::system(("'" + binary + "' '" + store + "'").c_str()), 0);

    const std::string bytes = testhost::readWholeFile(store);
    ASSERT_EQ(bytes.size(), sizeof(ProgramRecord) * kNumPrograms);
    std::vector<ProgramRecord> rebuilt(kNumPrograms);
    std::memcpy(rebuilt.data(), bytes.data(), bytes.size());

    for (int p = 0; p < kNumPrograms; ++p) {
        const ProgramRecord& a = programs[p];
        const ProgramRecord& b = rebuilt[p];
        for (int k = 0; k < kNumParams; ++k)
            ASSERT_EQ(fiveDecimals(b.fParams[k]), fiveDecimals(a.fParams[k])) << p << " param " << k;
        for (int c = 0; c < kNumCombs; ++c) {
            const auto* wa = reinterpret_cast<const float*>(&a.combSettings[c]);
            const auto* wb = reinterpret_cast<const float*>(&b.combSettings[c]);
            for (int w = 0; w < 21; ++w) {
                if (w == 14 || w == 16 || w == 19)
                    continue;  // sample counts: engine-only, not exported
                ASSERT_EQ(fiveDecimals(wb[w]), fiveDecimals(wa[w])) << p << " comb " << c << " word " << w;
            }
        }
        EXPECT_EQ(std::string(b.tuningMapPath), std::string(a.tuningMapPath));
        EXPECT_EQ(std::string(b.version), std::string(a.version));
        if (p != 8) {
            EXPECT_EQ(std::string(b.name), std::string(a.name));
        }
    }
    EXPECT_EQ(std::string(rebuilt[8].name), std::string(23, 'x'));
}

TEST_F(ProgramExport, LayoutOfTheStatements)
{
    const std::vector<ProgramRecord> defaults(kNumPrograms);
    const std::string path = scratch.path() + "/out.cpp";
    ASSERT_EQ(exportPrograms(defaults.data(), path.c_str()), 0);
    const std::string text = testhost::readWholeFile(path);
    EXPECT_EQ(text.rfind("programs[0].fParams[0] = 0.00000f;\t", 0), 0u);
    EXPECT_NE(text.find("programs[0].fParams[42] = 1.20000f;\t\n"), std::string::npos);
    // Resonator statements run on into the name statement; path and version get lines of their own.
    EXPECT_NE(text.find("programs[31].combSettings[87].Velocity = 0.50000f;\tstrcpy(programs[31].name, \"Init\");\n"
                        "strcpy(programs[31].tuningMapPath, \"\");\nstrcpy(programs[31].version, \"1.2\");\n"),
              std::string::npos);
    std::size_t statements = 0;
    for (std::size_t pos = 0; (pos = text.find(';', pos)) != std::string::npos; ++pos)
        ++statements;
    EXPECT_EQ(statements, 32u * (43 + 88 * 18 + 3));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 32 * 4);

    // A second run overwrites the file with the same text.
    ASSERT_EQ(exportPrograms(defaults.data(), path.c_str()), 0);
    EXPECT_EQ(testhost::readWholeFile(path), text);
    // A file that cannot be opened or written is a failure, not a success.
    EXPECT_EQ(exportPrograms(defaults.data(), (scratch.path() + "/missing/out.cpp").c_str()), -1);
    EXPECT_EQ(exportPrograms(defaults.data(), "/dev/full"), -1);
}


}  // namespace

// The plug-in's file commands on Windows, through the DLL and the real common
// dialog answered as a user would: tuning maps and impulse WAV files given as
// Windows paths (drive letter, backslashes, names in the user's code page),
// the program's path kept and re-read, and the program export's fixed file.
#include "tests/testhost/TestHost.h"
#include "tests/windows/DialogUser.h"

#include "analysis/ImpulseCommand.h"
#include "host/ResonatorPlugin.h"
#include "programs/ProgramRecord.h"
#include "tuning/TuningMap.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>

using testhost::PluginInstance;

namespace {

constexpr char kTuningTitle[] = "Open a Scala .TUN File";
constexpr char kTuningFilter[] = "Tuning files (*.tun *.scl *.kbm)";
constexpr char kWavTitle[] = "Open a .WAV File";

// The test data folder as a Windows path: Z:\...\tests\data\ (Wine's Z: is the root).
std::string windowsDataPath(const std::string& relative)
{
    std::string path = std::string("Z:") + TOVARINE_TESTDATA_DIR + "/" + relative;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// "Stimmung-\u00e9\u00fc\u00df" in the user's code page: letters outside ASCII that
// the code page has; empty when it has none of them.
std::string nonAsciiName()
{
    const wchar_t wide[] = L"Stimmung-\u00e9\u00fc\u00df";
    char name[64] = {};
    BOOL lossy = FALSE;
    if (!WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, name, sizeof(name), nullptr, &lossy) || lossy)
        return {};
    return name;
}

// A copy of a test file in the temporary folder under nonAsciiName(); empty when that fails.
std::string copyUnderNonAsciiName(const std::string& source, const char* extension)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string name = nonAsciiName();
    const std::string copy = std::string(temp) + name + extension;
    return !name.empty() && CopyFileA(source.c_str(), copy.c_str(), FALSE) ? copy : std::string();
}

ProgramRecord currentRecord(PluginInstance& p)
{
    ProgramRecord record;
    const std::vector<uint8_t> chunk = p.getChunk(true);
    EXPECT_EQ(chunk.size(), sizeof(record));
    std::memcpy(&record, chunk.data(), std::min(chunk.size(), sizeof(record)));
    return record;
}

std::unique_ptr<PluginInstance> preparedPlugin()
{
    auto p = PluginInstance::load();
    if (p)
        p->prepare(44100.f, 512);
    return p;
}

// Runs command 45 with `value` while a user answers the dialog titled `title`.
void commandWithDialog(PluginInstance& p, float value, const char* title, const std::string& answer,
                       const char* expectedFilter)
{
    DialogUser user(title, answer);
    p.setParameter(45, value);
    EXPECT_TRUE(user.sawDialog()) << title;
    EXPECT_EQ(user.filterShown(), expectedFilter);
}

void expectTunedFrom(const ProgramRecord& record, const std::string& path)
{
    TuningMap expected;
    ASSERT_TRUE(expected.loadFromFile(path.c_str())) << expected.errorText;
    for (int i = 0; i < kNumCombs; ++i) {
        const double hz = 4.0 * std::pow(1024.0, record.combSettings[i].normalPitch);
        EXPECT_NEAR(hz / expected.frequencyOfNote(kFirstCombNote + i), 1.0, 1e-5) << "resonator " << i;
    }
}

}  // namespace

TEST(WindowsFiles, TuningMapsOpenFromWindowsPathsAndAreReadAgainWithTheirProgram)
{
    const std::string plain = windowsDataPath("tun/parnassus_19EDO_v1.tun");
    const std::string nonAscii = copyUnderNonAsciiName(plain, ".tun");
    ASSERT_FALSE(nonAscii.empty()) << "no letters outside ASCII in this code page";
    for (const auto& [path, mapName] : {std::pair{plain, std::string("parnassus_19EDO_v1")}, std::pair{nonAscii, nonAsciiName()}}) {
        SCOPED_TRACE(path);
        TuningMap map;  // the name the editor would show: no drive, folders or extension
        map.loadFromFile(path.c_str());
        EXPECT_EQ(map.getName(), mapName);
        auto p = preparedPlugin();
        ASSERT_TRUE(p);
        commandWithDialog(*p, 0.f, kTuningTitle, path, kTuningFilter);
        const ProgramRecord loaded = currentRecord(*p);
        EXPECT_EQ(std::string(loaded.tuningMapPath), path);
        expectTunedFrom(loaded, path);

        // Selecting the program again re-reads the stored path: no dialog.
        p->dispatch(effSetProgram, 0, 1);
        {
            DialogUser unexpected(kTuningTitle, "");
            p->dispatch(effSetProgram, 0, 0);
            EXPECT_FALSE(unexpected.sawDialog());
        }
        const ProgramRecord reread = currentRecord(*p);
        EXPECT_EQ(std::string(reread.tuningMapPath), path);
        expectTunedFrom(reread, path);
    }
    DeleteFileA(nonAscii.c_str());
}

TEST(WindowsFiles, CancellingTheTuningDialogStoresTheStandardTuning)
{
    auto p = preparedPlugin();
    ASSERT_TRUE(p);
    commandWithDialog(*p, 0.f, kTuningTitle, windowsDataPath("tun/scaleworkshop_anamark.v2.tun"), kTuningFilter);
    commandWithDialog(*p, 0.f, kTuningTitle, "", kTuningFilter);
    EXPECT_STREQ(currentRecord(*p).tuningMapPath, "");
}

// The analysis through the DLL and its dialog gives exactly what the same code
// gives when called directly on the same file.
TEST(WindowsFiles, ImpulseWavFilesOpenFromWindowsPaths)
{
    const std::string plain = windowsDataPath("wav/webaudio_slit-drum-hi.wav");
    const std::string nonAscii = copyUnderNonAsciiName(plain, ".wav");
    ASSERT_FALSE(nonAscii.empty());
    for (const std::string& path : {plain, nonAscii}) {
        SCOPED_TRACE(path);
        auto direct = std::make_unique<ResonatorPlugin>(nullptr);  // megabytes: too big for a stack
        direct->setSampleRate(44100.f);
        direct->resume();
        ASSERT_TRUE(applyImpulseAnalysis(*direct, path.c_str()));

        auto p = preparedPlugin();
        ASSERT_TRUE(p);
        const ProgramRecord before = currentRecord(*p);
        commandWithDialog(*p, 1.f, kWavTitle, path, "WAV files (*.wav)");
        const ProgramRecord after = currentRecord(*p);
        EXPECT_NE(0, std::memcmp(&before.combSettings, &after.combSettings, sizeof(before.combSettings)));
        for (int i = 0; i < kNumCombs; ++i) {
            EXPECT_EQ(after.combSettings[i].Decay, direct->getCurrentCombs()[i].Decay) << i;
            EXPECT_EQ(after.combSettings[i].Bright, direct->getCurrentCombs()[i].Bright) << i;
            EXPECT_EQ(after.combSettings[i].Out, direct->getCurrentCombs()[i].Out) << i;
        }
    }
    DeleteFileA(nonAscii.c_str());
}

TEST(WindowsFiles, ProgramExportWritesItsFixedFileOnDriveC)
{
    const char* path = "C:\\TovarineOutputProgram.cpp";
    DeleteFileA(path);
    auto plugin = std::make_unique<ResonatorPlugin>(nullptr);
    ASSERT_EQ(plugin->exportPrograms(), 0);
    std::ifstream file(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    file.close();
    EXPECT_EQ(text.rfind("programs[0].fParams[0] = ", 0), 0u);
    // Written in text mode: every line ends in CR LF.
    EXPECT_NE(text.find("\r\nprograms[0].combSettings[0].normalPitch"), std::string::npos);
    EXPECT_EQ(text.find("\n"), text.find("\r\n") + 1);
    DeleteFileA(path);
}

// Every opcode as the host sends it, answered through the descriptor's dispatcher.
#include "tests/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using testhost::PluginInstance;

namespace {

class Dispatcher : public ::testing::Test {
protected:
    void SetUp() override
    {
        plugin = PluginInstance::load();
        ASSERT_TRUE(plugin);
    }
    std::unique_ptr<PluginInstance> plugin;
};

struct OpcodeCase {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    intptr_t expected;
};

// Opcodes whose answer does not depend on anything a test prepares. Opcodes
// that need a record (names, chunks, events, editor windows) have tests below.
const std::vector<OpcodeCase> kOpcodeTable = {
    {-1, 0, 0, 0},
    {effOpen, 0, 0, 0},
    {effSetProgram, 0, 32, 0},
    {effGetProgram, 0, 0, 0},
    {effGetVu, 0, 0, 0},
    {effSetBlockSize, 0, 512, 0},
    {effMainsChanged, 0, 0, 0},
    {effEditClose, 0, 0, 0},
    {effEditDraw, 0, 0, 0},
    {effEditMouse, 0, 0, 0},
    {effEditKey, 0, 0, 0},
    {effEditIdle, 0, 0, 0},
    {effEditTop, 0, 0, 0},
    {effEditSleep, 0, 0, 0},
    {effIdentify, 0, 0, vstFourCC('N', 'v', 'E', 'f')},
    {effCanBeAutomated, 5, 0, 1},
    {effGetNumProgramCategories, 0, 0, 1},
    {effCopyProgram, 32, 0, 0},
    {effCopyProgram, -1, 0, 0},
    {effConnectInput, 0, 1, 1},
    {effConnectOutput, 1, 0, 1},
    {effGetPlugCategory, 0, 0, 0},
    {effGetCurrentPosition, 0, 0, 0},
    {effGetDestinationBuffer, 0, 0, 0},
    {effOfflineNotify, 0, 0, 0},
    {effOfflinePrepare, 0, 0, 0},
    {effOfflineRun, 0, 0, 0},
    {effProcessVarIo, 0, 0, 0},
    {effSetSpeakerArrangement, 0, 0, 0},
    {effSetBypass, 0, 1, 0},
    {effGetVendorVersion, 0, 0, 1},
    {effVendorSpecific, 0, 0, 0},
    {effGetTailSize, 0, 0, 0},
    {effIdle, 0, 0, 0},
    {effGetIcon, 0, 0, 0},
    {effSetViewPosition, 10, 10, 0},
    {effGetParameterProperties, 0, 0, 0},
    {effKeysRequired, 0, 0, 1},
    {effGetVstVersion, 0, 0, 2300},
    {effGetMidiProgramName, 0, 0, 0},
    {effGetCurrentMidiProgram, 0, 0, -1},
    {effGetMidiProgramCategory, 0, 0, 0},
    {effHasMidiProgramsChanged, 0, 0, 0},
    {effGetMidiKeyName, 0, 0, 0},
    {effBeginSetProgram, 0, 0, 0},
    {effEndSetProgram, 0, 0, 0},
    {effShellGetNextPlugin, 0, 0, 0},
    {effStartProcess, 0, 0, 0},
    {effStopProcess, 0, 0, 0},
    {effSetTotalSampleToProcess, 0, 12345, 12345},
    {effSetPanLaw, 0, 0, 0},
    {effBeginLoadBank, 0, 0, 0},
    {effBeginLoadProgram, 0, 0, 0},
    {77, 0, 0, 0},
    {78, 0, 0, 0},
    {79, 0, 0, 0},
    {80, 0, 0, 0},
};

TEST_F(Dispatcher, AnswersEveryPlainOpcodeAsTheTableSays)
{
    for (const OpcodeCase& c : kOpcodeTable)
        EXPECT_EQ(plugin->dispatch(c.opcode, c.index, c.value), c.expected) << "opcode " << c.opcode;
    EXPECT_EQ(plugin->dispatch(effGetProgram), 0) << "effSetProgram 32 must be ignored";
}

TEST_F(Dispatcher, OpcodesWithoutTheirRecordDoNotCrash)
{
    // A host that passes null where a buffer or record belongs gets 0 (or -1 from canDo).
    for (int32_t opcode = -1; opcode <= 80; ++opcode) {
        if (opcode == effClose || opcode == effEditOpen || opcode == effSetEditKnobMode
            || opcode == effEditKeyDown || opcode == effEditKeyUp || opcode == effMainsChanged)
            continue;
        const intptr_t answer = plugin->dispatch(opcode, 0, 0, nullptr);
        if (opcode == effCanDo)
            EXPECT_EQ(answer, -1);
        else if (opcode == effProcessEvents || opcode == effGetProgram || opcode == effSetBlockSizeAndSampleRate
                 || opcode == effIdentify || opcode == effCanBeAutomated || opcode == effGetNumProgramCategories
                 || opcode == effConnectInput || opcode == effConnectOutput || opcode == effKeysRequired
                 || opcode == effGetVstVersion || opcode == effGetVendorVersion || opcode == effGetCurrentMidiProgram
                 || opcode == effCopyProgram)
            continue;  // these answer without a record
        else
            EXPECT_EQ(answer, 0) << "opcode " << opcode;
    }
}

TEST_F(Dispatcher, CanDoIsExactAndCaseSensitive)
{
    auto canDo = [&](const char* text) {
        std::vector<char> buffer(text, text + std::strlen(text) + 1);
        return plugin->dispatch(effCanDo, 0, 0, buffer.data());
    };
    EXPECT_EQ(canDo("receiveVstEvents"), 1);
    EXPECT_EQ(canDo("receiveVstMidiEvent"), 1);
    EXPECT_EQ(canDo("receiveVstEvents "), -1);
    EXPECT_EQ(canDo("ReceiveVstEvents"), -1);
    EXPECT_EQ(canDo(""), -1);
    for (const char* other : {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo", "receiveVstTimeInfo", "offline",
                              "plugAsChannelInsert", "plugAsSend", "mixDryWet", "noRealTime", "multipass", "metapass",
                              "1in1out", "1in2out", "2in1out", "2in2out", "2in4out", "4in2out", "4in4out", "4in8out",
                              "8in4out", "8in8out", "midiProgramNames", "conformsToWindowRules", "bypass"})
        EXPECT_EQ(canDo(other), -1) << other;
}

TEST_F(Dispatcher, NamesVendorAndProduct)
{
    char text[256];
    std::memset(text, 'x', sizeof(text));
    EXPECT_EQ(plugin->dispatch(effGetEffectName, 0, 0, text), 1);
    EXPECT_STREQ(text, "Tovarine");
    EXPECT_EQ(plugin->dispatch(effGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Tovarine 88 Resonator");
    EXPECT_EQ(plugin->dispatch(effGetVendorString, 0, 0, text), 1);
    EXPECT_GT(std::strlen(text), 0u);
    EXPECT_LT(std::strlen(text), 64u);
    EXPECT_EQ(plugin->dispatch(effGetErrorText, 0, 0, text), 0);
}

TEST_F(Dispatcher, OutputPinsAreLabelledAndStereo)
{
    for (int32_t pin = 0; pin < 2; ++pin) {
        VstPinProperties properties{};
        EXPECT_EQ(plugin->dispatch(effGetOutputProperties, pin, 0, &properties), 1);
        EXPECT_STREQ(properties.label, pin == 0 ? "Tovarine 1" : "Tovarine 2");
        EXPECT_EQ(properties.flags, kVstPinIsActive | kVstPinIsStereo);
    }
    VstPinProperties properties{};
    EXPECT_EQ(plugin->dispatch(effGetOutputProperties, 2, 0, &properties), 0);
    EXPECT_EQ(plugin->dispatch(effGetOutputProperties, -1, 0, &properties), 0);
    EXPECT_EQ(plugin->dispatch(effGetInputProperties, 0, 0, &properties), 0);
}

TEST_F(Dispatcher, IndexedProgramNamesCoverExactlyThe32Programs)
{
    EXPECT_FALSE(plugin->programNameIndexed(0).empty());
    char text[64];
    EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, 31, 0, text), 1);
    EXPECT_LE(std::strlen(text), 23u);
    std::strcpy(text, "untouched");
    EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, 32, 0, text), 0);
    EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, -1, 0, text), 0);
    EXPECT_STREQ(text, "untouched");
    // The category argument does not matter.
    EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, 7, 3, text), 1);
}

TEST_F(Dispatcher, CopyProgramCopiesTheWholeCurrentRecord)
{
    plugin->dispatch(effSetProgram, 0, 2);
    const std::string nameOfTwo = plugin->programNameIndexed(2);
    EXPECT_EQ(plugin->dispatch(effCopyProgram, 5), 1);
    EXPECT_EQ(plugin->programNameIndexed(5), nameOfTwo);
    EXPECT_EQ(plugin->dispatch(effGetProgram), 2);

    const std::vector<uint8_t> bank = plugin->getChunk(false);
    if (!bank.empty()) {  // byte comparison once the bank chunk is available
        constexpr std::size_t kRecord = 7796;
        ASSERT_EQ(bank.size(), 32 * kRecord);
        EXPECT_EQ(0, std::memcmp(&bank[2 * kRecord], &bank[5 * kRecord], kRecord));
    }
}

TEST_F(Dispatcher, EditorRectangleIs640By420)
{
    ERect* rect = nullptr;
    if (!testhost::kPluginHasEditor) {
        // No editor to offer: no rectangle, and opening one is refused.
        EXPECT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 0);
        EXPECT_EQ(rect, nullptr);
        int parentWindow = 0;
        EXPECT_EQ(plugin->dispatch(effEditOpen, 0, 0, &parentWindow), 0);
        return;
    }
    EXPECT_EQ(plugin->dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 640);
    EXPECT_EQ(rect->bottom - rect->top, 420);
}

TEST_F(Dispatcher, BlockSizeAndSampleRateAreStoredWithoutNotification)
{
    EXPECT_EQ(plugin->dispatch(effSetBlockSizeAndSampleRate, 0, 256, nullptr, 48000.f), 1);
}

TEST_F(Dispatcher, GetSpeakerArrangementClearsBothPointers)
{
    auto* sentinel = reinterpret_cast<VstSpeakerArrangement*>(0x1234);
    VstSpeakerArrangement* input = sentinel;
    VstSpeakerArrangement* output = sentinel;
    EXPECT_EQ(plugin->dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input), &output), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

TEST_F(Dispatcher, ParameterQueriesOutsideTheRangeAnswerEmpty)
{
    for (int32_t index : {-1, 43, 44, 45, 46, 1000}) {
        EXPECT_EQ(plugin->parameterName(index), "") << index;
        EXPECT_EQ(plugin->parameterLabel(index), "") << index;
        EXPECT_EQ(plugin->parameterDisplay(index), "") << index;
        EXPECT_EQ(plugin->getParameter(index), 0.f) << index;
    }
}

}  // namespace

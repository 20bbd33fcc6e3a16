// The engine class: everything that makes sound and everything a program
// stores. The host layer below it is generic; the editor sits above it.
#pragma once

#include "host/AudioEffectX.h"
#include "programs/ProgramRecord.h"
#include "tuning/TuningMap.h"

class ResonatorEngine : public AudioEffectX {
public:
    explicit ResonatorEngine(audioMasterCallback audioMaster);
    ~ResonatorEngine() override;

    // False when construction could not allocate the program store; main() refuses such an instance.
    bool isComplete() const { return programs != nullptr; }

    void process(float** inputs, float** outputs, int32_t sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;

    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    int32_t getVendorVersion() override { return 1; }
    int32_t getNumCategories() override { return 1; }
    int32_t canDo(char* text) override;
    bool getOutputProperties(int32_t index, VstPinProperties* properties) override;
    bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;
    bool copyProgram(int32_t destination) override;

    ProgramRecord* getPrograms() { return programs; }
    TuningMap& getTuningMap() { return tuningMap; }

protected:
    TuningMap tuningMap;
    ProgramRecord* programs = nullptr;  // the store of 32 records, one block
};

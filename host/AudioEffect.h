// The base of every plug-in object: holds the descriptor the host sees and
// answers the basic opcodes (0..24) with neutral defaults.
#pragma once

#include "host/Vst2.h"

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams);
    virtual ~AudioEffect();

    virtual void setParameter(int32_t index, float value) { (void)index; (void)value; }
    virtual float getParameter(int32_t index) { (void)index; return 0.f; }
    virtual void setParameterAutomated(int32_t index, float value);

    virtual void process(float** inputs, float** outputs, int32_t sampleFrames) { (void)inputs; (void)outputs; (void)sampleFrames; }
    virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) { (void)inputs; (void)outputs; (void)sampleFrames; }

    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

    virtual void open() {}
    virtual void close() {}

    virtual int32_t getProgram() { return curProgram; }
    virtual void setProgram(int32_t program) { curProgram = program; }
    virtual void setProgramName(char* name) { (void)name; }
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(int32_t index, char* label);
    virtual void getParameterDisplay(int32_t index, char* text);
    virtual void getParameterName(int32_t index, char* text);
    virtual float getVu() { return 0.f; }
    virtual int32_t getChunk(void** data, bool isPreset = false) { (void)data; (void)isPreset; return 0; }
    virtual int32_t setChunk(void* data, int32_t byteSize, bool isPreset = false) { (void)data; (void)byteSize; (void)isPreset; return 0; }
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(int32_t size) { blockSize = size; }
    virtual void suspend() {}
    virtual void resume() {}

    virtual void setUniqueID(int32_t id) { cEffect.uniqueID = id; }
    virtual void setNumInputs(int32_t inputs) { cEffect.numInputs = inputs; }
    virtual void setNumOutputs(int32_t outputs) { cEffect.numOutputs = outputs; }
    virtual void hasVu(bool state = true) { setFlag(effFlagsHasVu, state); }
    virtual void hasClip(bool state = true) { setFlag(effFlagsHasClip, state); }
    virtual void canMono(bool state = true) { setFlag(effFlagsCanMono, state); }
    virtual void canProcessReplacing(bool state = true) { setFlag(effFlagsCanReplacing, state); }
    virtual void programsAreChunks(bool state = true) { setFlag(effFlagsProgramChunks, state); }
    virtual void setRealtimeQualities(int32_t qualities) { cEffect.realQualities = qualities; }
    virtual void setOfflineQualities(int32_t qualities) { cEffect.offQualities = qualities; }
    virtual void setInitialDelay(int32_t delay) { cEffect.initialDelay = delay; }
    virtual float getSampleRate() { return sampleRate; }
    virtual int32_t getBlockSize() { return blockSize; }
    virtual int32_t getMasterVersion();
    virtual int32_t getCurrentUniqueId();
    virtual void masterIdle();
    virtual bool isInputConnected(int32_t input);
    virtual bool isOutputConnected(int32_t output);
    virtual void dB2string(float value, char* text);
    virtual void Hz2string(float samples, char* text);
    virtual void ms2string(float samples, char* text);
    virtual void float2string(float value, char* text);
    virtual void long2string(long value, char* text);

    AEffect* getAeffect() { return &cEffect; }
    AEffEditor* getEditor() { return editor; }
    void setEditor(AEffEditor* newEditor) { editor = newEditor; }
    audioMasterCallback getHostCallback() const { return audioMaster; }

    // The host-facing functions stored in the descriptor.
    static intptr_t VSTCALLBACK dispatchEffect(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    static void VSTCALLBACK processEffect(AEffect* e, float** inputs, float** outputs, int32_t sampleFrames);
    static void VSTCALLBACK processReplacingEffect(AEffect* e, float** inputs, float** outputs, int32_t sampleFrames);
    static void VSTCALLBACK setParameterEffect(AEffect* e, int32_t index, float value);
    static float VSTCALLBACK getParameterEffect(AEffect* e, int32_t index);

protected:
    void setFlag(int32_t flag, bool state);
    intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.f);

    float sampleRate;
    AEffEditor* editor;
    audioMasterCallback audioMaster;
    int32_t numPrograms;
    int32_t numParams;
    int32_t curProgram;
    int32_t blockSize;
    AEffect cEffect;
};

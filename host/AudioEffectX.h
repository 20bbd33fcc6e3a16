// The 2.x extension of the plug-in base: the dispatcher for opcodes 25..76,
// their neutral defaults, and thin wrappers around host callbacks.
#pragma once

#include "host/AudioEffect.h"

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams)
        : AudioEffect(audioMaster, numPrograms, numParams) {}

    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) override;

    virtual bool wantEvents(int32_t filter = 1);
    virtual VstTimeInfo* getTimeInfo(int32_t filter);
    virtual int32_t tempoAt(int32_t pos);
    virtual int32_t processEvents(VstEvents* events) { (void)events; return 0; }
    virtual int32_t getNumAutomatableParameters();
    virtual int32_t getParameterQuantization();
    virtual bool canParameterBeAutomated(int32_t index) { (void)index; return true; }
    virtual bool string2parameter(int32_t index, char* text) { (void)index; (void)text; return false; }
    virtual float getChannelParameter(int32_t channel, int32_t index) { (void)channel; (void)index; return 0.f; }
    virtual int32_t getNumCategories() { return 1; }
    virtual bool getProgramNameIndexed(int32_t category, int32_t index, char* text) { (void)category; (void)index; (void)text; return false; }
    virtual bool copyProgram(int32_t destination) { (void)destination; return false; }
    virtual bool ioChanged();
    virtual bool needIdle();
    virtual bool sizeWindow(int32_t width, int32_t height);
    virtual double updateSampleRate();
    virtual int32_t updateBlockSize();
    virtual int32_t getInputLatency();
    virtual int32_t getOutputLatency();
    virtual AEffect* getPreviousPlug(int32_t input);
    virtual AEffect* getNextPlug(int32_t output);
    virtual void inputConnected(int32_t index, bool state) { (void)index; (void)state; }
    virtual void outputConnected(int32_t index, bool state) { (void)index; (void)state; }
    virtual bool getInputProperties(int32_t index, VstPinProperties* properties) { (void)index; (void)properties; return false; }
    virtual bool getOutputProperties(int32_t index, VstPinProperties* properties) { (void)index; (void)properties; return false; }
    virtual int32_t getPlugCategory();
    virtual int32_t willProcessReplacing();
    virtual int32_t getCurrentProcessLevel();
    virtual int32_t getAutomationState();
    virtual void wantAsyncOperation(bool state = true) { setFlag(effFlagsExtIsAsync, state); }
    virtual void hasExternalBuffer(bool state = true) { setFlag(effFlagsExtHasBuffer, state); }
    virtual int32_t reportCurrentPosition() { return 0; }
    virtual float* reportDestinationBuffer() { return nullptr; }
    virtual bool offlineRead(VstOfflineTask* offline, int32_t option, bool readSource = true);
    virtual bool offlineWrite(VstOfflineTask* offline, int32_t option);
    virtual bool offlineStart(VstAudioFile* ptr, int32_t numAudioFiles, int32_t numNewAudioFiles);
    virtual int32_t offlineGetCurrentPass();
    virtual int32_t offlineGetCurrentMetaPass();
    virtual bool offlineNotify(VstAudioFile* ptr, int32_t numAudioFiles, bool start) { (void)ptr; (void)numAudioFiles; (void)start; return false; }
    virtual bool offlinePrepare(VstOfflineTask* offline, int32_t count) { (void)offline; (void)count; return false; }
    virtual bool offlineRun(VstOfflineTask* offline, int32_t count) { (void)offline; (void)count; return false; }
    virtual int32_t offlineGetNumPasses() { return 0; }
    virtual int32_t offlineGetNumMetaPasses() { return 0; }
    virtual void setOutputSamplerate(float samplerate);
    virtual VstSpeakerArrangement* getInputSpeakerArrangement();
    virtual VstSpeakerArrangement* getOutputSpeakerArrangement();
    virtual bool getHostVendorString(char* text);
    virtual bool getHostProductString(char* text);
    virtual int32_t getHostVendorVersion();
    virtual intptr_t hostVendorSpecific(int32_t lArg1, intptr_t lArg2, void* ptrArg, float floatArg);
    virtual int32_t canHostDo(char* text);
    virtual void isSynth(bool state = true) { setFlag(effFlagsIsSynth, state); }
    virtual void noTail(bool state = true) { setFlag(effFlagsNoSoundInStop, state); }
    virtual int32_t getHostLanguage();
    virtual void* openWindow(void* window);
    virtual bool closeWindow(void* window);
    virtual void* getDirectory();
    virtual bool updateDisplay();
    virtual bool processVariableIo(VstVariableIo* varIo) { (void)varIo; return false; }
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* pluginInput, VstSpeakerArrangement* pluginOutput) { (void)pluginInput; (void)pluginOutput; return false; }
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** pluginInput, VstSpeakerArrangement** pluginOutput);
    virtual void setBlockSizeAndSampleRate(int32_t size, float rate) { blockSize = size; sampleRate = rate; }
    virtual bool setBypass(bool onOff) { (void)onOff; return false; }
    virtual bool getEffectName(char* name) { (void)name; return false; }
    virtual bool getErrorText(char* text) { (void)text; return false; }
    virtual bool getVendorString(char* text) { (void)text; return false; }
    virtual bool getProductString(char* text) { (void)text; return false; }
    virtual int32_t getVendorVersion() { return 0; }
    virtual intptr_t vendorSpecific(int32_t lArg, intptr_t lArg2, void* ptrArg, float floatArg) { (void)lArg; (void)lArg2; (void)ptrArg; (void)floatArg; return 0; }
    virtual int32_t canDo(char* text) { (void)text; return 0; }
    virtual void* getIcon() { return nullptr; }
    virtual bool setViewPosition(int32_t x, int32_t y) { (void)x; (void)y; return false; }
    virtual int32_t getGetTailSize() { return 0; }
    virtual int32_t fxIdle() { return 0; }
    virtual bool getParameterProperties(int32_t index, VstParameterProperties* p) { (void)index; (void)p; return false; }
    virtual bool keysRequired() { return false; }
    virtual int32_t getVstVersion() { return 2300; }
    virtual int32_t getMidiProgramName(int32_t channel, MidiProgramName* name) { (void)channel; (void)name; return 0; }
    virtual int32_t getCurrentMidiProgram(int32_t channel, MidiProgramName* current) { (void)channel; (void)current; return -1; }
    virtual int32_t getMidiProgramCategory(int32_t channel, MidiProgramCategory* category) { (void)channel; (void)category; return 0; }
    virtual bool hasMidiProgramsChanged(int32_t channel) { (void)channel; return false; }
    virtual bool getMidiKeyName(int32_t channel, MidiKeyName* keyName) { (void)channel; (void)keyName; return false; }
    virtual bool beginSetProgram() { return false; }
    virtual bool endSetProgram() { return false; }
    virtual bool beginEdit(int32_t index);
    virtual bool endEdit(int32_t index);
    virtual bool openFileSelector(VstFileSelect* ptr);
    virtual int32_t setTotalSampleToProcess(int32_t value) { return value; }
    virtual int32_t getNextShellPlugin(char* name) { (void)name; return 0; }
    virtual int32_t startProcess() { return 0; }
    virtual int32_t stopProcess() { return 0; }
    virtual bool setPanLaw(int32_t type, float val) { (void)type; (void)val; return false; }
    virtual int32_t beginLoadBank(VstPatchChunkInfo* ptr) { (void)ptr; return 0; }
    virtual int32_t beginLoadProgram(VstPatchChunkInfo* ptr) { (void)ptr; return 0; }
    virtual bool allocateArrangement(VstSpeakerArrangement** arrangement, int32_t nbChannels) { (void)arrangement; (void)nbChannels; return false; }
    virtual bool deallocateArrangement(VstSpeakerArrangement** arrangement) { (void)arrangement; return false; }
    virtual bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) { (void)to; (void)from; return false; }
    virtual bool matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from) { (void)to; (void)from; return false; }
};

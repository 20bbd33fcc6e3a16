// The plug-in's two file parameters, the tuning map and the impulse response
// (atom:Path values a host sets with patch:Set, from its own file chooser). run
// hands each to the host's worker, which loads the file as the editor's dialog
// would; the engine's control scope brings the result to the audio thread whole.
// A host that gives no worker cannot set them: run ignores them then.
#pragma once

#include "lv2/Lv2Uris.h"
#include "lv2/WorkMessage.h"

#include <lv2/atom/atom.h>
#include <lv2/worker/worker.h>

class Lv2Plugin;

class FileParameters {
public:
    explicit FileParameters(const LV2_Worker_Schedule* schedule) : schedule(schedule) {}

    // Audio thread: schedules the work a patch:Set asks for. Never allocates, locks or
    // logs: a malformed message reaches the worker as such, which says so.
    void take(const LV2_Atom_Object& set, const Lv2Uris& uris);

    // The worker: loads the file, or logs why nothing was done.
    static void work(Lv2Plugin& plugin, const WorkMessage& message);

private:
    void send(WorkMessage::Kind kind, uint32_t length);

    const LV2_Worker_Schedule* schedule;
    WorkMessage message;
};

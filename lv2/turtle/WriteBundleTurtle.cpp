// Build-machine tool: writes manifest.ttl, Tovarine.ttl, presets.ttl and ui.ttl into the
// bundle folder given as its one argument.
#include "lv2/Lv2Ids.h"
#include "lv2/turtle/BundleTurtle.h"
#include "lv2/ui/UiIds.h"
#include "lv2/ui/UiTurtle.h"
#include "programs/FactoryPresets.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace {

bool writeFile(const std::string& path, const std::function<void(std::ostream&)>& write)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    write(out);
    out.close();
    if (!out) {
        std::fprintf(stderr, "write_lv2_turtle: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_lv2_turtle BUNDLE_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    // The programs a new instance starts with, from the same code that fills them.
    auto store = std::make_unique<ProgramRecord[]>(kNumPrograms);
    fillFactoryPresets(store.get());
    const ProgramRecord* factory = store.get();

    using namespace bundle_turtle;
    const bool ok = writeFile(dir + "/manifest.ttl",
                        [&](std::ostream& o) {
                            writeManifest(o, factory);
                            writeUiManifestEntry(o);
                        })
                    && writeFile(dir + "/" + lv2_ids::kPluginTurtle, [&](std::ostream& o) { writePlugin(o, factory[0]); })
                    && writeFile(dir + "/" + lv2_ids::kPresetsTurtle, [&](std::ostream& o) { writePresets(o, factory); })
                    && writeFile(dir + "/" + lv2_ui_ids::kUiTurtle, [](std::ostream& o) { writeUi(o); });
    return ok ? 0 : 1;
}

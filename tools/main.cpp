// tovarine: an offline host for the plug-in. Loads it like a DAW does and
// renders audio through it, shows what a host sees, converts presets and
// draws pictures of renders.
#include "tools/Commands.h"
#include "tools/ToolError.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace tovarine::cli {

const char* const kUsageText =
    "usage: tovarine COMMAND [options]\n"
    "\n"
    "  render [INPUT] -o OUTPUT   render INPUT (or the built-in demo) through the plug-in\n"
    "      --block N  --tail SECONDS  --program N  --preset F.fxp  --bank F.fxb\n"
    "      --param INDEX=VALUE  --midi F.mid  --note CH:NOTE:VEL:START:LENGTH\n"
    "      --tempo BPM  --time-sig N/D  --accumulate  --format wav|flac|aiff|ogg\n"
    "      --bits 16|24|32  --plot PICTURE.png  --quiet  --tuning F.tun|F.scl [--tuning F.kbm]\n"
    "  info                       what a host sees: names, flags, programs, parameters\n"
    "      --tuning F.tun|F.scl [--tuning F.kbm]  also the 88 resonators' frequencies in that tuning\n"
    "  preset save OUT.fxp|OUT.fxb [--program N --preset F --bank F --param I=V]\n"
    "  preset to-raw IN.fxp|IN.fxb -o CHUNK     preset from-raw CHUNK -o OUT.fxp|OUT.fxb [--name N]\n"
    "  preset list IN.fxb                       preset extract IN.fxb --program N -o OUT.fxp\n"
    "  plot INPUT -o PICTURE.png [--width W --height H]\n"
    "\n"
    "Every command takes --plugin PATH (default: Tovarine.so beside this program).\n";

}  // namespace tovarine::cli

int main(int argc, char** argv)
{
    using namespace tovarine::cli;
    const Arguments all(argv + 1, argv + argc);
    if (all.empty() || all[0] == "--help" || all[0] == "-h" || all[0] == "help") {
        std::fputs(kUsageText, all.empty() ? stderr : stdout);
        return all.empty() ? 2 : 0;
    }
    const std::string command = all[0];
    const Arguments rest(all.begin() + 1, all.end());
    try {
        if (command == "render")
            runRender(rest);
        else if (command == "info")
            runInfo(rest);
        else if (command == "preset")
            runPreset(rest);
        else if (command == "plot")
            runPlot(rest);
        else
            throw usageError("unknown command '" + command + "' (render, info, preset or plot; see tovarine --help)");
    } catch (const ToolError& error) {
        std::fprintf(stderr, "tovarine: %s\n", error.what());
        return error.exitCode();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "tovarine: out of memory\n");
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tovarine: %s\n", error.what());
        return 1;
    }
    return 0;
}

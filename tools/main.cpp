// tovarine: an offline host for the plug-in. Loads it like a DAW does and
// renders audio through it, shows what a host sees, converts presets and
// draws pictures of renders.
#include "tools/Commands.h"
#include "tools/ToolError.h"

#include <cstdio>
#include <exception>
#include <new>

int main(int argc, char** argv)
{
    using namespace tovarine::cli;
    try {
        runCommandLine(Arguments(argv + 1, argv + argc));
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

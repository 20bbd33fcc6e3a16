// A private temporary directory for one test, removed with everything in it
// at the end. It can go on PATH (first, or alone) for the test's life, so the
// test's stand-ins for the programs the plug-in runs (the dialog tool) are
// the ones found.
#pragma once

#include <string>

namespace testhost {

class ScratchDirectory {
public:
    enum PathUse { kOffPath, kFirstOnPath, kAloneOnPath };

    // Makes /tmp/tovarine-<purpose>-XXXXXX; throws std::runtime_error when it cannot.
    explicit ScratchDirectory(const std::string& purpose, PathUse use = kOffPath);
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::string& path() const { return dir; }
    // An executable shell script `name` in the directory that runs `body`.
    void writeScript(const std::string& name, const std::string& body) const;

private:
    std::string dir;
    bool changedPath = false;
    std::string savedPath;
};

// A whole file's bytes as text; empty when it cannot be read.
std::string readWholeFile(const std::string& path);

}  // namespace testhost

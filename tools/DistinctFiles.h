// No command may write over one of its own inputs, nor write two outputs to one
// file: what the user recorded, or the first output, would be lost. Paths are
// compared as the files they lead to, through symbolic and hard links.
#pragma once

#include <string>
#include <vector>

namespace tovarine::cli {

struct NamedFile {
    std::string role;  // how the command line named it: "INPUT", "-o", "--plot"
    std::string path;
};

// Throws a usage error, before anything is written, when an output is the same
// file as an input or as another output. Standard output ("-") counts as one file.
void checkDistinctFiles(const std::vector<NamedFile>& inputs, const std::vector<NamedFile>& outputs);

}  // namespace tovarine::cli

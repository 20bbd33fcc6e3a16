// For tests whose programs name files that do not exist here: while an object
// of this class lives, every open-file dialog the plug-in shows is cancelled
// at once instead of waiting for a person.
#pragma once

#include <memory>

namespace testhost {

class FileDialogsCancelled {
public:
    FileDialogsCancelled();
    ~FileDialogsCancelled();
    FileDialogsCancelled(const FileDialogsCancelled&) = delete;
    FileDialogsCancelled& operator=(const FileDialogsCancelled&) = delete;

private:
    struct StandIn;
    std::unique_ptr<StandIn> standIn;
};

}  // namespace testhost

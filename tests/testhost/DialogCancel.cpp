#include "tests/testhost/DialogCancel.h"

#include "tests/testhost/ScratchDirectory.h"

namespace testhost {

// Dialog programs that answer "cancel", first on PATH.
struct FileDialogsCancelled::StandIn {
    ScratchDirectory programs{"no-dialog", ScratchDirectory::kFirstOnPath};
};

FileDialogsCancelled::FileDialogsCancelled() : standIn(std::make_unique<StandIn>())
{
    standIn->programs.writeScript("zenity", "exit 1");
    standIn->programs.writeScript("kdialog", "exit 1");
}

FileDialogsCancelled::~FileDialogsCancelled() = default;

}  // namespace testhost

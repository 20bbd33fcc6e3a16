#include "tests/testhost/DialogCancel.h"

#include "tests/testhost/StandInDialog.h"

namespace testhost {

// A dialog program that answers "cancel", first on PATH.
struct FileDialogsCancelled::StandIn {
    StandInDialog dialog{"no-dialog"};
};

FileDialogsCancelled::FileDialogsCancelled() : standIn(std::make_unique<StandIn>())
{
    standIn->dialog.cancel();
}

FileDialogsCancelled::~FileDialogsCancelled() = default;

}  // namespace testhost

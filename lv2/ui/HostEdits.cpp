#include "lv2/ui/HostEdits.h"

void HostEdits::add(Edit edit)
{
    const std::lock_guard lock(mutex);
    edits.push_back(edit);
}

std::vector<HostEdits::Edit> HostEdits::take()
{
    std::vector<Edit> taken;
    const std::lock_guard lock(mutex);
    taken.swap(edits);
    return taken;
}

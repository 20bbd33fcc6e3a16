// The open-file dialog on Windows: the common dialog, in the user's code page
// (the path goes to fopen and file streams, which read that code page too).
#include "platform/FileDialog.h"

#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <vector>

std::optional<std::string> FileDialog::openFile(const Request& request, const std::function<void()>&)
{
    // The dialog's modal loop dispatches the messages of this thread's windows,
    // which keeps them painted; nothing else needs to run while it waits.
    const std::size_t bufferSize = request.maxPathLength ? request.maxPathLength + 1 : MAX_PATH;
    std::vector<char> file(bufferSize, '\0');
    std::copy_n(request.initialPath.begin(), std::min(request.initialPath.size(), bufferSize - 1), file.begin());

    // "name\0pattern\0...\0": Windows separates a filter's patterns with ';'.
    std::string filter;
    auto addFilter = [&filter](const std::string& name, std::string pattern) {
        std::replace(pattern.begin(), pattern.end(), ' ', ';');
        filter += name + '\0' + pattern + '\0';
    };
    addFilter(request.filterName, request.filterPattern);
    for (const Request::Filter& f : request.moreFilters)
        addFilter(f.name, f.pattern);

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = nullptr;
    dialog.lpstrFilter = filter.c_str();  // c_str() adds the NUL that ends the list
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(bufferSize);
    dialog.lpstrTitle = request.title.c_str();
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    // A choice longer than the buffer fails the dialog: it counts as cancel.
    if (!GetOpenFileNameA(&dialog))
        return std::nullopt;
    return std::string(file.data());
}

const char* FileDialog::missingProgramHint()
{
    return nullptr;  // the common dialog is part of Windows
}

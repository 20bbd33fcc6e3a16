#include "platform/win32/ShellLink.h"

#include <objbase.h>
#include <shlobj.h>

#include <vector>

bool isShortcut(const std::string& name)
{
    return name.size() >= 4 && lstrcmpiA(name.c_str() + name.size() - 4, ".lnk") == 0;
}

std::string resolveShortcut(HWND window, const std::string& shortcut, size_t maxLength)
{
    std::string resolved = shortcut;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, reinterpret_cast<void**>(&link))))
        return resolved;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH] = {};
        if (MultiByteToWideChar(CP_ACP, 0, shortcut.c_str(), -1, wide, MAX_PATH) > 0 && SUCCEEDED(file->Load(wide, STGM_READ))
            && SUCCEEDED(link->Resolve(window, SLR_NO_UI | (500u << 16)))) {
            std::vector<char> target(maxLength + 1, '\0');
            if (link->GetPath(target.data(), int(target.size()), nullptr, SLGP_SHORTPATH) == S_OK && target[0]) {
                // Some shells give the long form whatever is asked: shorten it here.
                std::vector<char> shortForm(maxLength + 1, '\0');
                const DWORD length = GetShortPathNameA(target.data(), shortForm.data(), DWORD(shortForm.size()));
                resolved = length > 0 && length <= maxLength ? shortForm.data() : target.data();
            }
        }
        file->Release();
    }
    link->Release();
    return resolved;
}

#include "platform/win32/Win32DropTarget.h"

#include "gui/CFrame.h"
#include "gui/InputState.h"
#include "platform/win32/ShellLink.h"

#include <ole2.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {
constexpr size_t kMaxPath = 1023;

FORMATETC format(CLIPFORMAT clipFormat)
{
    return FORMATETC{clipFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

class FrameDropTarget : public IDropTarget {
public:
    FrameDropTarget(HWND window_, CFrame* frame_) : window(window_), frame(frame_) {}
    virtual ~FrameDropTarget() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL, DWORD* effect) override
    {
        FORMATETC text = format(CF_TEXT), files = format(CF_HDROP);
        accepted = data && (data->QueryGetData(&text) == S_OK || data->QueryGetData(&files) == S_OK);
        return answer(keys, effect);
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL, DWORD* effect) override { return answer(keys, effect); }
    HRESULT STDMETHODCALLTYPE DragLeave() override
    {
        accepted = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override
    {
        POINT client{point.x, point.y};
        ScreenToClient(window, &client);
        CPoint where(client.x, client.y);
        if (data && !dropText(data, where))
            dropFiles(data, where);
        accepted = false;
        if (effect)
            *effect = (keys & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
        return S_OK;
    }

private:
    HRESULT answer(DWORD keys, DWORD* effect)
    {
        if (effect)
            *effect = !accepted ? DROPEFFECT_NONE : ((keys & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE);
        return S_OK;
    }

    // One item, the text; its count is the size of the dropped memory block.
    bool dropText(IDataObject* data, CPoint& where)
    {
        FORMATETC text = format(CF_TEXT);
        STGMEDIUM medium{};
        if (data->GetData(&text, &medium) != S_OK)
            return false;
        if (void* locked = GlobalLock(medium.hGlobal)) {
            void* items[] = {locked};
            frame->onDrop(items, int32_t(GlobalSize(medium.hGlobal)), kDropText, where);
            GlobalUnlock(medium.hGlobal);
        }
        ReleaseStgMedium(&medium);
        return true;
    }

    void dropFiles(IDataObject* data, CPoint& where)
    {
        FORMATETC files = format(CF_HDROP);
        STGMEDIUM medium{};
        if (data->GetData(&files, &medium) != S_OK)
            return;
        auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
        std::vector<std::string> names;
        if (drop) {
            const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                char name[kMaxPath + 1] = {};
                if (DragQueryFileA(drop, i, name, sizeof name) == 0)
                    continue;
                names.push_back(isShortcut(name) ? resolveShortcut(window, name, kMaxPath) : std::string(name));
            }
            GlobalUnlock(medium.hGlobal);
        }
        ReleaseStgMedium(&medium);
        if (names.empty())
            return;
        std::vector<void*> items;
        for (std::string& name : names)
            items.push_back(name.data());
        frame->onDrop(items.data(), int32_t(items.size()), kDropFiles, where);
    }

    HWND window;
    CFrame* frame;
    ULONG references = 1;
    bool accepted = false;
};
}  // namespace

std::unique_ptr<Win32DropTarget> Win32DropTarget::registerFor(HWND window, CFrame* frame)
{
    const HRESULT initialised = OleInitialize(nullptr);
    if (FAILED(initialised))
        return nullptr;
    auto* target = new FrameDropTarget(window, frame);
    if (RegisterDragDrop(window, target) != S_OK) {
        target->Release();
        OleUninitialize();
        return nullptr;
    }
    return std::unique_ptr<Win32DropTarget>(new Win32DropTarget(window, target));
}

Win32DropTarget::Win32DropTarget(HWND window_, IDropTarget* target_) : window(window_), target(target_) {}

Win32DropTarget::~Win32DropTarget()
{
    RevokeDragDrop(window);
    target->Release();
    OleUninitialize();
}

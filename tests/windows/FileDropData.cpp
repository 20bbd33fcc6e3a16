#include "FileDropData.h"

#include <cstring>

FileDropData::FileDropData(const std::string& path_) : path(path_) {}

HRESULT STDMETHODCALLTYPE FileDropData::QueryInterface(REFIID id, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject)) {
        *object = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE FileDropData::Release()
{
    const ULONG left = --references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE FileDropData::QueryGetData(FORMATETC* format)
{
    return format && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE FileDropData::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (QueryGetData(format) != S_OK || !medium)
        return DV_E_FORMATETC;
    // DROPFILES, then the names, each ending in a zero, and one more zero.
    const size_t size = sizeof(DROPFILES) + path.size() + 2;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!memory)
        return E_OUTOFMEMORY;
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), path.c_str(), path.size());
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

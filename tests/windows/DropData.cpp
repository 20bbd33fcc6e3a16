#include "DropData.h"

#include <cstring>

DropData* DropData::file(const std::string& path)
{
    // DROPFILES, then the names, each ending in a zero, and one more zero.
    std::vector<char> bytes(sizeof(DROPFILES) + path.size() + 2, '\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    std::memcpy(bytes.data(), &header, sizeof header);
    std::memcpy(bytes.data() + sizeof header, path.data(), path.size());
    return new DropData(CF_HDROP, std::move(bytes));
}

DropData* DropData::text(const std::string& text)
{
    return new DropData(CF_TEXT, std::vector<char>(text.c_str(), text.c_str() + text.size() + 1));
}

DropData::DropData(CLIPFORMAT format_, std::vector<char> bytes_) : format(format_), bytes(std::move(bytes_)) {}

HRESULT STDMETHODCALLTYPE DropData::QueryInterface(REFIID id, void** object)
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

ULONG STDMETHODCALLTYPE DropData::Release()
{
    const ULONG left = --references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE DropData::QueryGetData(FORMATETC* asked)
{
    return asked && asked->cfFormat == format && (asked->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE DropData::GetData(FORMATETC* asked, STGMEDIUM* medium)
{
    if (QueryGetData(asked) != S_OK || !medium)
        return DV_E_FORMATETC;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory)
        return E_OUTOFMEMORY;
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

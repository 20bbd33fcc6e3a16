#include "lv2/ui/PatchSetMessage.h"

#include <lv2/atom/forge.h>
#include <lv2/patch/patch.h>

std::vector<uint8_t> patchSetMessage(const LV2_URID_Map& map, LV2_URID property, const std::string& path)
{
    // Room for the object's header, two keys, the URID and the path with its nul, padded.
    std::vector<uint8_t> bytes(path.size() + 128);
    LV2_Atom_Forge forge;
    lv2_atom_forge_init(&forge, const_cast<LV2_URID_Map*>(&map));
    lv2_atom_forge_set_buffer(&forge, bytes.data(), bytes.size());
    LV2_Atom_Forge_Frame frame;
    const LV2_URID set = map.map(map.handle, LV2_PATCH__Set);
    if (!lv2_atom_forge_object(&forge, &frame, 0, set) || !lv2_atom_forge_key(&forge, map.map(map.handle, LV2_PATCH__property))
        || !lv2_atom_forge_urid(&forge, property) || !lv2_atom_forge_key(&forge, map.map(map.handle, LV2_PATCH__value))
        || !lv2_atom_forge_path(&forge, path.c_str(), static_cast<uint32_t>(path.size())))
        return {};
    lv2_atom_forge_pop(&forge, &frame);
    const auto* atom = reinterpret_cast<const LV2_Atom*>(bytes.data());
    bytes.resize(sizeof(LV2_Atom) + atom->size);
    return bytes;
}

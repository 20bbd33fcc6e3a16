// The data of a feature the host passes, by URI; null where it passes none.
#pragma once

#include <lv2/core/lv2.h>

#include <cstring>

template <class T>
const T* featureData(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f && *f; ++f)
        if (std::strcmp((*f)->URI, uri) == 0)
            return static_cast<const T*>((*f)->data);
    return nullptr;
}

// The interface of the engine's per-sample filters.
#pragma once

class FilterBase {
public:
    virtual ~FilterBase() = default;
    virtual void setSampleRate(float rate) = 0;
    virtual float process(float x) = 0;
    virtual void reset() = 0;
};

// The two feedback filters (left, right) stepped together, one vector
// operation for both: lane 0 is the left filter, lane 1 the right. Both run
// biquadStep, so the output is bit for bit that of the two filters run one
// after the other.
#pragma once

#include "engine/Biquad.h"

typedef float StereoLanes __attribute__((vector_size(16)));  // left, right, unused, unused

class StereoBiquad {
public:
    StereoBiquad(Biquad& left, Biquad& right) : left(left), right(right)
    {
        b0 = pair(left.b0, right.b0);
        b1 = pair(left.b1, right.b1);
        b2 = pair(left.b2, right.b2);
        a1 = pair(left.a1, right.a1);
        a2 = pair(left.a2, right.a2);
        x1 = pair(left.x1, right.x1);
        x2 = pair(left.x2, right.x2);
        y1 = pair(left.y1, right.y1);
        y2 = pair(left.y2, right.y2);
        offset = pair(left.offset, right.offset);
    }
    StereoBiquad(const StereoBiquad&) = delete;
    StereoBiquad& operator=(const StereoBiquad&) = delete;

    // Writes the state back into the two filters.
    ~StereoBiquad()
    {
        unpair(x1, left.x1, right.x1);
        unpair(x2, left.x2, right.x2);
        unpair(y1, left.y1, right.y1);
        unpair(y2, left.y2, right.y2);
        unpair(y1, left.output, right.output);
        unpair(offset, left.offset, right.offset);
    }

    StereoLanes process(StereoLanes x) { return biquadStep(x, b0, b1, b2, a1, a2, x1, x2, y1, y2, offset); }

private:
    static StereoLanes pair(float l, float r) { return StereoLanes{l, r, 0.f, 0.f}; }
    static void unpair(StereoLanes v, float& l, float& r)
    {
        l = v[0];
        r = v[1];
    }

    Biquad& left;
    Biquad& right;
    StereoLanes b0, b1, b2, a1, a2, x1, x2, y1, y2, offset;
};

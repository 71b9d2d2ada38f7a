#pragma once
// Float-to-int conversion that is defined for every input.
//
// C++ leaves the conversion of NaN, infinity or a value outside int's range
// undefined. The show must stay deterministic and sanitizer-clean whatever
// a division by zero feeds it, so every conversion that can see such a value
// goes through here. Valid values truncate toward zero exactly like a cast;
// every invalid one gives INT_MIN, the answer x86's cvttss2si gives, so the
// low bits callers mask with stay the same as on x86 hardware.
#include <climits>
#include <cmath>

inline int truncToInt(float value) {
    // 2^31 is exactly representable; anything at or beyond it (or NaN) is invalid.
    if (!(value > -2147483904.0f && value < 2147483648.0f)) return INT_MIN;
    return static_cast<int>(value);
}

inline int truncToInt(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT_MIN;
    return static_cast<int>(value);
}

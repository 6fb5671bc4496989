#pragma once
// Turns off, between the two markers, GCC 12's bounds and overlap warnings on the string
// copies that libstdc++ inlines at -O3 into a vector's growth or a string's concatenation: a
// known false positive of that compiler (offsets past objects that no code reaches). Every use
// says at its line why it is one; other compilers do not need it.

#if defined(__GNUC__) && !defined(__clang__)
#define QR_GCC_STRING_BOUNDS_OFF                                                                                       \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Warray-bounds\"")                                \
        _Pragma("GCC diagnostic ignored \"-Wstringop-overflow\"")                                                      \
            _Pragma("GCC diagnostic ignored \"-Wstringop-overread\"") _Pragma("GCC diagnostic ignored \"-Wrestrict\"")
#define QR_GCC_STRING_BOUNDS_ON _Pragma("GCC diagnostic pop")
#else
#define QR_GCC_STRING_BOUNDS_OFF
#define QR_GCC_STRING_BOUNDS_ON
#endif

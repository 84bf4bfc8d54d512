#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace zarnith {

// value in upper-case hex, at least digits long, without a prefix.
inline std::string HexNumber(std::uint32_t value, int digits = 1)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return text;
}

} // namespace zarnith

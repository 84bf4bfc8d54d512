#pragma once

#include "RomBuilder.h"

#include <optional>

namespace zarnith::testing {

// Applies a BPS patch to source as the format describes it, all four actions included, checking
// the sizes and the three CRC32s: the target, or nothing when anything does not hold.
std::optional<Bytes> ApplyBps(const Bytes& source, const Bytes& patch);

} // namespace zarnith::testing

#pragma once

#include <cstdint>
#include <functional>

namespace zarnith {

// Told how far a long piece of work has come (done of total); returns false to stop it.
using ProgressCallback = std::function<bool(std::uint64_t done, std::uint64_t total)>;

} // namespace zarnith

// libFuzzer target over the BPS writer: the input is two files, the source up to the byte its
// first two bytes give and the target after it; the patch must rebuild the target exactly
// through the tests' own reader, whatever the files hold (repeats, runs, moved stretches).
#include "BpsReader.h"
#include "rom/BpsPatch.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t split = 2 + std::min<std::size_t>(size - 2, data[0] | data[1] << 8);
    const zarnith::testing::Bytes source(data + 2, data + split);
    const zarnith::testing::Bytes target(data + split, data + size);
    if (zarnith::testing::ApplyBps(source, zarnith::MakeBpsPatch(source, target)) != target) {
        std::fprintf(stderr, "the patch does not rebuild the target\n");
        std::abort();
    }
    return 0;
}

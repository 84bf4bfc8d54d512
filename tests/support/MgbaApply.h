#pragma once
// mGBA's own patch loader (Debian's libmgba-dev), as players apply patches in the emulator: its
// public loadPatch and the applier it returns, called as a black box. Built only where the
// library is found (ZARNITH_HAVE_MGBA).

#include "RomBuilder.h"

#include <mgba-util/patch.h>
#include <mgba-util/vfs.h>

#include <optional>

namespace zarnith::testing {

// The target mGBA makes of source with patch, or nothing when it refuses the patch.
inline std::optional<Bytes> ApplyWithMgba(const Bytes& source, const Bytes& patch)
{
    VFile* file = VFileFromConstMemory(patch.data(), patch.size());
    if (file == nullptr)
        return std::nullopt;
    Patch loaded {};
    std::optional<Bytes> target;
    if (loadPatch(file, &loaded)) {
        Bytes out(loaded.outputSize(&loaded, source.size()));
        if (loaded.applyPatch(&loaded, source.data(), source.size(), out.data(), out.size()))
            target = std::move(out);
    }
    file->close(file);
    return target;
}

} // namespace zarnith::testing

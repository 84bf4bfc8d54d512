#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace zarnith {

// The SHA-1 of the whole image of each unmodified release, by game code and software version
// byte, as the games' public decompilation projects publish them.
struct ReleaseDigest
{
    std::string_view Code;
    std::uint8_t Revision;
    std::string_view Sha1;
};

inline constexpr std::array<ReleaseDigest, 15> ReleaseDigests { {
    { "AXVE", 0, "f28b6ffc97847e94a6c21a63cacf633ee5c8df1e" },
    { "AXVE", 1, "610b96a9c9a7d03d2bafb655e7560ccff1a6d894" },
    { "AXVE", 2, "5b64eacf892920518db4ec664e62a086dd5f5bc8" },
    { "AXPE", 0, "3ccbbd45f8553c36463f13b938e833f652b793e4" },
    { "AXPE", 1, "4722efb8cd45772ca32555b98fd3b9719f8e60a9" },
    { "AXPE", 2, "89b45fb172e6b55d51fc0e61989775187f6fe63c" },
    { "BPEE", 0, "f3ae088181bf583e55daf962a92bb46f4f1d07b7" },
    { "BPRE", 0, "41cb23d8dccc8ebd7c649cd8fbb58eeace6e2fdc" },
    { "BPRE", 1, "dd5945db9b930750cb39d00c84da8571feebf417" },
    { "BPGE", 0, "574fa542ffebb14be69902d1d36f1ec0a4afd71e" },
    { "BPGE", 1, "7862c67bdecbe21d1d69ce082ce34327e1c6ed5e" },
    { "AXVD", 0, "1c2a53332382e14dab8815e3a6dd81ad89534050" },
    { "AXVD", 1, "424740be1fc67a5ddb954794443646e6aeee2c1b" },
    { "AXPD", 0, "fa0bd1abe04fea17016f585454d0f1392f342a21" },
    { "AXPD", 1, "7e6e034f9cdca6d2c4a270fdb50a94def5883d17" },
} };

// The release's SHA-1 in lower-case hex, or nothing known (empty).
constexpr std::string_view ReleaseSha1(std::string_view code, std::uint8_t revision)
{
    for (const ReleaseDigest& release : ReleaseDigests) {
        if (release.Code == code && release.Revision == revision)
            return release.Sha1;
    }
    return {};
}

} // namespace zarnith

#include "text/CharacterTable.h"

#include <gtest/gtest.h>

namespace zarnith {
namespace {

std::string DecodeAll(std::initializer_list<std::uint8_t> bytes)
{
    std::string text;
    for (std::uint8_t byte : bytes)
        text += DecodeCharacter(byte);
    return text;
}

TEST(CharacterTable, LettersDigitsAndWords)
{
    EXPECT_EQ(DecodeAll({ 0xC7, 0xD9, 0xE8, 0xD5, 0xE0 }), "Metal");
    EXPECT_EQ(DecodeAll({ 0xBB, 0xBC, 0xBD }), "ABC");
    EXPECT_EQ(DecodeCharacter(0xD4), "Z");
    EXPECT_EQ(DecodeCharacter(0xEE), "z");
    EXPECT_EQ(DecodeAll({ 0xA1, 0xAA }), "09");
}

TEST(CharacterTable, SpecialGlyphsAndControlCodes)
{
    EXPECT_EQ(DecodeCharacter(0x00), " ");
    EXPECT_EQ(DecodeCharacter(0x01), "À");
    EXPECT_EQ(DecodeCharacter(0x09), "Ì");
    EXPECT_EQ(DecodeCharacter(0x10), "Œ");
    EXPECT_EQ(DecodeCharacter(0x17), "á");
    EXPECT_EQ(DecodeCharacter(0x1E), "ì");
    EXPECT_EQ(DecodeCharacter(0x2B), "ª");
    EXPECT_EQ(DecodeCharacter(0x2C), "[er]");
    EXPECT_EQ(DecodeCharacter(0x56), "[Ké]");
    EXPECT_EQ(DecodeCharacter(0x5A), "Í");
    EXPECT_EQ(DecodeCharacter(0x5D), ")");
    EXPECT_EQ(DecodeCharacter(0x7C), "[Right]");
    EXPECT_EQ(DecodeCharacter(0xB0), "[...]");
    EXPECT_EQ(DecodeCharacter(0xB1), "\"b");
    EXPECT_EQ(DecodeCharacter(0xB2), "\"");
    EXPECT_EQ(DecodeCharacter(0xB3), "'b");
    EXPECT_EQ(DecodeCharacter(0xBA), "/");
    EXPECT_EQ(DecodeCharacter(0xEF), "[>]");
    EXPECT_EQ(DecodeCharacter(0xF6), "ü");
    EXPECT_EQ(DecodeCharacter(0xF9), "[+]");
    EXPECT_EQ(DecodeCharacter(0xFA), "\\l");
    EXPECT_EQ(DecodeCharacter(0xFE), "\\n");
}

TEST(CharacterTable, ExactlyTheUnmappedBytesGiveAQuestionMark)
{
    auto unmapped = [](int b) {
        return b == 0x0A || b == 0x18 || b == 0x1F || (b >= 0x2F && b <= 0x33) || (b >= 0x37 && b <= 0x50)
            || (b >= 0x5E && b <= 0x67) || (b >= 0x69 && b <= 0x6E) || (b >= 0x70 && b <= 0x78)
            || (b >= 0x7D && b <= 0x83) || (b >= 0x87 && b <= 0xA0) || b == 0xF7 || b == 0xF8 || b == 0xFF;
    };
    for (int b = 0; b < 256; ++b) {
        const std::string text = DecodeCharacter(static_cast<std::uint8_t>(b));
        EXPECT_FALSE(text.empty()) << b;
        if (b == 0xAC)
            EXPECT_EQ(text, "?");
        else
            EXPECT_EQ(text == "?", unmapped(b)) << std::hex << b << " -> " << text;
    }
}

} // namespace
} // namespace zarnith

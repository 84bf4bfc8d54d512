#include "text/CharacterTable.h"

#include <cstddef>
#include <initializer_list>

namespace zarnith {

namespace {

using Table = std::array<std::string_view, 256>;

constexpr void Fill(Table& table, std::size_t first, std::initializer_list<std::string_view> texts)
{
    for (std::string_view text : texts)
        table[first++] = text;
}

constexpr Table BuildTable()
{
    Table table {};
    for (std::string_view& text : table)
        text = "?";

    table[0x00] = " ";
    Fill(table, 0x01, { "À", "Á", "Â", "Ç", "È", "É", "Ê", "Ë", "Ì" });
    Fill(table, 0x0B, { "Î", "Ï", "Ò", "Ó", "Ô", "Œ", "Ù", "Ú", "Û", "Ñ", "ß", "à", "á" });
    Fill(table, 0x19, { "ç", "è", "é", "ê", "ë", "ì" });
    Fill(table, 0x20, { "î", "ï", "ò", "ó", "ô", "œ", "ù", "ú", "û", "ñ", "º", "ª" });
    Fill(table, 0x2C, { "[er]", "&", "+" });
    Fill(table, 0x34, { "[Lv]", "=", ";" });
    Fill(table, 0x51, { "¿", "¡", "[PK]", "[MN]", "[PO]", "[Ké]", "[BL]", "[OC]", "[K]", "Í", "%", "(", ")" });
    table[0x68] = "â";
    table[0x6F] = "í";
    Fill(table, 0x79, { "[Up]", "[Down]", "[Left]", "[Right]" });
    Fill(table, 0x84, { "[e]", "<", ">" });
    Fill(table, 0xA1, { "0", "1", "2", "3", "4", "5", "6", "7", "8", "9" });
    Fill(table, 0xAB,
        { "!", "?", ".", "-", "[.]", "[...]", "\"b", "\"", "'b", "'", "[m]", "[f]", "$", ",", "[x]", "/" });
    Fill(table, 0xBB,
        { "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P", "Q", "R", "S", "T", "U", "V",
            "W", "X", "Y", "Z" });
    Fill(table, 0xD5,
        { "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p", "q", "r", "s", "t", "u", "v",
            "w", "x", "y", "z" });
    Fill(table, 0xEF, { "[>]", ":", "Ä", "Ö", "Ü", "ä", "ö", "ü" });
    Fill(table, 0xF9, { "[+]", "\\l", "\\p", "\\c", "\\v", "\\n" });
    return table;
}

} // namespace

const Table CharacterTable = BuildTable();

std::string DecodeCharacter(std::uint8_t byte)
{
    return std::string(CharacterTable[byte]);
}

} // namespace zarnith

#include "soundmoves/TableText.h"

#include <algorithm>

#include <charconv>
#include <unordered_map>

namespace zarnith {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// The length of the well-formed UTF-8 sequence at the start of text (no overlong forms, no
// surrogates, nothing past U+10FFFF), or 0.
std::size_t SequenceLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

// Whether line is UTF-8 text: well formed, with no control characters but tabs.
bool IsTextLine(std::string_view line)
{
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t length = SequenceLength(line.substr(i));
        if (length == 0)
            return false;
        const auto c = static_cast<unsigned char>(line[i]);
        if (length == 1 && ((c < 0x20 && c != '\t') || c == 0x7F))
            return false;
        i += length;
    }
    return true;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t Decode(std::string_view sequence)
{
    const auto byte = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(sequence[i])); };
    switch (sequence.size()) {
    case 1:
        return byte(0);
    case 2:
        return (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F);
    case 3:
        return (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
    default:
        return (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
    }
}

char32_t FoldCharacter(char32_t c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return c + 0x20;
    if (c == 0x152) // Œ
        return 0x153;
    if (c == 0x178) // Ÿ
        return 0xFF;
    return c;
}

// A folded name without its spaces and hyphens: how people may write it ("Double Slap").
std::string LooseKey(std::string_view folded)
{
    std::string key(folded);
    std::erase_if(key, [](char c) { return c == ' ' || c == '\t' || c == '-'; });
    return key;
}

// The list's names, folded, each with the first move that has it and whether another has it too;
// and without spaces and hyphens, each with the first move of each name that has that key.
class NameIndex
{
public:
    explicit NameIndex(const MoveNameList& names)
    {
        for (std::size_t i = 0; i < names.size(); ++i) {
            std::string folded = FoldCase(Trim(names[i]));
            const auto id = static_cast<std::uint16_t>(i + 1);
            auto [at, added] = m_moves.try_emplace(folded, Move { id });
            if (!added)
                at->second.Shared = true;
            else
                m_loose[LooseKey(folded)].push_back(id);
        }
    }

    struct Move
    {
        std::uint16_t Id = 0;
        bool Shared = false;
    };

    const Move* Find(std::string_view name) const
    {
        const auto at = m_moves.find(FoldCase(name));
        return at == m_moves.end() ? nullptr : &at->second;
    }

    // The moves of different names that name is, spaces, hyphens and letter case aside.
    std::vector<std::uint16_t> FindLoose(std::string_view name) const
    {
        const auto at = m_loose.find(LooseKey(FoldCase(name)));
        return at == m_loose.end() ? std::vector<std::uint16_t> {} : at->second;
    }

private:
    std::unordered_map<std::string, Move> m_moves;
    std::unordered_map<std::string, std::vector<std::uint16_t>> m_loose;
};

// Whether every sequence of text is well-formed UTF-8.
bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = SequenceLength(text.substr(i));
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

// Windows-1252 text as UTF-8. Its five unassigned bytes become DEL, which no line may hold.
std::string FromWindows1252(std::string_view text)
{
    static constexpr char16_t High[32] = { 0x20AC, 0x7F, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
        0x0160, 0x2039, 0x0152, 0x7F, 0x017D, 0x7F, 0x7F, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x7F, 0x017E, 0x0178 };
    std::string out;
    out.reserve(text.size() * 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        AppendUtf8(out, byte >= 0x80 && byte < 0xA0 ? High[byte - 0x80] : byte);
    }
    return out;
}

} // namespace

std::string FoldCase(std::string_view text)
{
    std::string folded;
    folded.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = SequenceLength(text.substr(i));
        if (length == 0) {
            folded += text[i++];
            continue;
        }
        AppendUtf8(folded, FoldCharacter(Decode(text.substr(i, length))));
        i += length;
    }
    return folded;
}

TableText ParseTableText(
    std::string_view text, const MoveNameList& names, int largestMove, const std::vector<std::uint16_t>& kept)
{
    TableText result;
    const auto refuse = [&result](TextProblem problem, int line, std::string_view word = {}) {
        result.Moves.clear();
        // How the text was read stays told: it may be why a name was not found.
        std::erase_if(result.Notes, [](const TextNote& note) { return note.Kind != TextNoteKind::Windows1252; });
        result.Refusal = { problem, line, std::string(word) };
        return result;
    };
    if (text.size() > MaxTableTextSize)
        return refuse(TextProblem::TooLarge, 0);
    // A text that starts with UTF-8's byte-order mark says it is UTF-8: it is never read as
    // Windows-1252.
    const bool markedUtf8 = text.starts_with(ByteOrderMark);
    if (markedUtf8)
        text.remove_prefix(ByteOrderMark.size());
    std::string converted;
    if (!markedUtf8 && !IsUtf8(text)) {
        converted = FromWindows1252(text);
        text = converted;
        result.Notes.push_back({ TextNoteKind::Windows1252, 0, 0, {} });
    }

    const NameIndex index(names);
    const int moveCount = static_cast<int>(names.size());
    bool markedEmpty = false;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.find(ByteOrderMark) != std::string_view::npos)
            return refuse(TextProblem::ByteOrderMark, number);
        if (!IsTextLine(line))
            return refuse(TextProblem::NotText, number);
        line = Trim(line);
        markedEmpty = markedEmpty || line == EmptyTableLine;
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty())
            continue;

        // A number is the digits a line starts with, up to a space or the line's end; a name
        // that merely starts with digits is a name.
        std::size_t digits = 0;
        while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
            ++digits;
        std::uint16_t id = 0;
        if (digits > 0 && (digits == line.size() || IsSpace(line[digits]))) {
            const std::string_view word = line.substr(0, digits);
            unsigned value = 0;
            const auto [ptr, error] = std::from_chars(word.data(), word.data() + word.size(), value);
            id = static_cast<std::uint16_t>(value);
            if (error != std::errc() || value > 0xFFFF
                || !(IsValidMove(id, largestMove) || std::find(kept.begin(), kept.end(), id) != kept.end()))
                return refuse(TextProblem::NotAMove, number, word);
            const std::string_view given = Trim(line.substr(digits));
            if (IsValidMove(id, moveCount) && !given.empty() && FoldCase(given) != FoldCase(Trim(names[id - 1])))
                result.Notes.push_back({ TextNoteKind::NameMismatch, number, id, std::string(given) });
        } else {
            const NameIndex::Move* move = index.Find(line);
            if (move != nullptr) {
                id = move->Id;
                if (move->Shared)
                    result.Notes.push_back({ TextNoteKind::AmbiguousName, number, id, std::string(line) });
            } else {
                const std::vector<std::uint16_t> loose = index.FindLoose(line);
                if (loose.empty())
                    return refuse(TextProblem::UnknownName, number, line);
                if (loose.size() > 1) {
                    refuse(TextProblem::AmbiguousName, number, line);
                    result.Refusal.Moves = loose;
                    return result;
                }
                id = loose.front();
                result.Notes.push_back({ TextNoteKind::LooseName, number, id, std::string(line) });
            }
        }
        if (static_cast<int>(result.Moves.size()) >= moveCount)
            return refuse(TextProblem::TooManyEntries, number);
        result.Moves.push_back(id);
    }
    if (result.Moves.empty() && !markedEmpty)
        return refuse(TextProblem::NoEntries, 0);
    return result;
}

std::string FormatTableText(const SoundMoveTable& table, const MoveNameList& names, std::string_view heading)
{
    std::string text = "# ";
    text += heading;
    text += '\n';
    if (table.Entries.empty()) {
        text += EmptyTableLine;
        text += '\n';
    }
    for (const SoundMoveEntry& entry : table.Entries) {
        text += std::to_string(entry.Id());
        if (IsValidMove(entry.Id(), static_cast<int>(names.size()))) {
            text += ' ';
            text += names[entry.Id() - 1];
        }
        text += '\n';
    }
    return text;
}

} // namespace zarnith

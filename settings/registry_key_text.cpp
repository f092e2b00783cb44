#include "settings/registry_key_text.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace tessolo {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view text)
{
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), [](char c) { return LowerAscii(c); });
    return lowered;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

bool StartsIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

std::optional<std::uint32_t> ParseHex(std::string_view digits, std::size_t maxDigits)
{
    std::uint32_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (digits.empty() || digits.size() > maxDigits || error != std::errc() ||
        end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

// Reads the quoted text that starts at text[0] and drops it from `text`.
std::optional<std::string> TakeQuoted(std::string_view& text)
{
    std::string out;
    for (std::size_t i = 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\') {
            if (++i == text.size() || (text[i] != '\\' && text[i] != '"'))
                return std::nullopt;
            c = text[i];
        }
        out += c;
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> ParseByteList(std::string_view list)
{
    std::vector<std::uint8_t> bytes;
    if (Trim(list).empty())
        return bytes;
    for (;;) {
        std::size_t comma = list.find(',');
        std::optional<std::uint32_t> byte = ParseHex(Trim(list.substr(0, comma)), 2);
        if (!byte)
            return std::nullopt;
        bytes.push_back(std::uint8_t(*byte));
        if (comma == std::string_view::npos)
            return bytes;
        list.remove_prefix(comma + 1);
    }
}

// Reads the value after "=": a quoted string, dword:, hex: or hex(N):.
// `continuation` supplies the next line when a byte list ends in a backslash.
template <typename NextLine>
std::optional<RegistryValue> ParseValue(std::string_view text, NextLine continuation)
{
    if (text.starts_with('"')) {
        std::optional<std::string> quoted = TakeQuoted(text);
        if (!quoted || !Trim(text).empty())
            return std::nullopt;
        return RegistryValue{kRegString, {quoted->begin(), quoted->end()}};
    }
    if (StartsIgnoringCase(text, "dword:")) {
        std::optional<std::uint32_t> number = ParseHex(Trim(text.substr(6)), 8);
        if (!number)
            return std::nullopt;
        RegistryValue value{kRegDword, {}};
        for (int shift = 0; shift < 32; shift += 8)
            value.data.push_back(std::uint8_t(*number >> shift));
        return value;
    }
    RegistryValue value;
    if (StartsIgnoringCase(text, "hex:")) {
        text.remove_prefix(4);
    } else if (StartsIgnoringCase(text, "hex(")) {
        std::size_t close = text.find("):");
        std::optional<std::uint32_t> type =
            close == std::string_view::npos ? std::nullopt : ParseHex(text.substr(4, close - 4), 8);
        if (!type)
            return std::nullopt;
        value.type = *type;
        text.remove_prefix(close + 2);
    } else {
        return std::nullopt;
    }
    std::string list(Trim(text));
    while (list.ends_with('\\')) {
        std::optional<std::string_view> next = continuation();
        if (!next)
            return std::nullopt;
        list.pop_back();
        list += Trim(*next);
    }
    std::optional<std::vector<std::uint8_t>> bytes = ParseByteList(list);
    if (!bytes)
        return std::nullopt;
    value.data = std::move(*bytes);
    return value;
}

void AppendQuoted(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

void AppendValue(std::string& out, const RegistryValue& value)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    const std::vector<std::uint8_t>& data = value.data;
    bool breaksLine = std::any_of(data.begin(), data.end(),
                                  [](std::uint8_t b) { return b == 0 || b == '\r' || b == '\n'; });
    if (value.type == kRegString && !breaksLine) {
        AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
        return;
    }
    if (value.type == kRegDword && data.size() == 4) {
        out += "dword:";
        for (int i = 3; i >= 0; --i) {
            out += kDigits[data[i] >> 4];
            out += kDigits[data[i] & 15];
        }
        return;
    }
    if (value.type == kRegBinary) {
        out += "hex:";
    } else {
        char type[16];
        auto end = std::to_chars(type, type + sizeof type, value.type, 16).ptr;
        out += "hex(" + std::string(type, end) + "):";
    }
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0)
            out += ',';
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 15];
    }
}

}  // namespace

const RegistryValue* RegistryValues::Find(std::string_view name) const
{
    auto found = positions_.find(LowerAscii(name));
    return found == positions_.end() ? nullptr : &entries_[found->second].value;
}

void RegistryValues::Set(std::string_view name, RegistryValue value)
{
    auto [position, added] = positions_.try_emplace(LowerAscii(name), entries_.size());
    if (added)
        entries_.push_back({std::string(name), std::move(value)});
    else
        entries_[position->second].value = std::move(value);
}

ParsedKeyFile ParseKeyFile(std::string_view text, std::string_view keyName)
{
    ParsedKeyFile parsed;
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    std::vector<std::string_view> lines = SplitLines(text);
    if (lines.empty() || Trim(lines[0]) != kHeader) {
        parsed.problem = "the file does not begin with " + std::string(kHeader);
        return parsed;
    }
    std::size_t unusable = 0;
    std::size_t firstUnusable = 0;
    bool inKey = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::size_t lineNumber = i + 1;
        std::string_view line = Trim(lines[i]);
        if (line.empty() || line.starts_with(';'))
            continue;
        bool usable = false;
        if (line.starts_with('[') && line.ends_with(']')) {
            inKey = EqualIgnoringCase(line.substr(1, line.size() - 2), keyName);
            usable = inKey;
        } else if (inKey && line.starts_with('"')) {
            std::optional<std::string> name = TakeQuoted(line);
            line = Trim(line);
            if (name && line.starts_with('=')) {
                auto continuation = [&]() -> std::optional<std::string_view> {
                    if (i + 1 == lines.size())
                        return std::nullopt;
                    return lines[++i];
                };
                std::optional<RegistryValue> value = ParseValue(Trim(line.substr(1)), continuation);
                if (value) {
                    parsed.values.Set(*name, std::move(*value));
                    usable = true;
                }
            }
        }
        if (!usable && unusable++ == 0)
            firstUnusable = lineNumber;
    }
    if (unusable == 1)
        parsed.problem = "line " + std::to_string(firstUnusable) + " cannot be used";
    else if (unusable > 1)
        parsed.problem = std::to_string(unusable) + " lines cannot be used, the first is line " +
                         std::to_string(firstUnusable);
    return parsed;
}

std::string FormatKeyFile(const RegistryValues& values, std::string_view keyName)
{
    std::string out = std::string(kHeader) + "\n\n[" + std::string(keyName) + "]\n";
    for (const RegistryValues::Entry& entry : values.Entries()) {
        AppendQuoted(out, entry.name);
        out += '=';
        AppendValue(out, entry.value);
        out += '\n';
    }
    return out + "\n";
}

}  // namespace tessolo

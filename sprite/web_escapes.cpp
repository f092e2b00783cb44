#include "sprite/web_escapes.h"

#include "platform/printable_text.h"

#include <nlohmann/json.hpp>

#include <cstdint>

namespace tessolo {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool IsAsciiLetterOrDigit(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Hex(unsigned value)
{
    constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    do {
        hex.insert(hex.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value != 0);
    return hex;
}

// `text` with every byte outside well-formed UTF-8 sequences replaced by
// what `written` makes of it.
template <class Written>
std::string RepairedUtf8(std::string_view text, Written written)
{
    std::string valid;
    valid.reserve(text.size());
    while (!text.empty()) {
        std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            valid += written(static_cast<unsigned char>(text[0]));
            length = 1;
        } else {
            valid += text.substr(0, length);
        }
        text.remove_prefix(length);
    }
    return valid;
}

// `value` below 256 as two hexadecimal digits.
std::string TwoHexDigits(unsigned value)
{
    std::string hex = Hex(value);
    return std::string(2 - hex.size(), '0') + hex;
}

}  // namespace

std::string ValidUtf8(std::string_view text)
{
    return RepairedUtf8(text, [](unsigned char) { return kReplacement; });
}

std::string ByteEscapedUtf8(std::string_view text)
{
    return RepairedUtf8(text, [](unsigned char byte) { return "\\x" + TwoHexDigits(byte); });
}

std::string CssIdentifier(std::string_view name)
{
    std::string escaped;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const auto code = static_cast<unsigned char>(c);
        if (code == 0)
            escaped += kReplacement;
        else if (code < 0x20 || code == 0x7F || (i == 0 && IsDigit(c)) ||
                 (i == 1 && IsDigit(c) && name[0] == '-'))
            escaped += "\\" + Hex(code) + " ";
        else if (i == 0 && c == '-' && name.size() == 1)
            escaped += "\\-";
        else if (code >= 0x80 || c == '-' || c == '_' || IsAsciiLetterOrDigit(c))
            escaped += c;
        else
            escaped += std::string("\\") + c;
    }
    return escaped;
}

std::string ScssIdentifier(std::string_view name)
{
    std::string identifier = CssIdentifier(name);
    for (std::size_t at = 0; (at = identifier.find(kReplacement, at)) != std::string::npos;)
        identifier.replace(at, kReplacement.size(), "\\fffd ");
    return identifier;
}

std::string LessIdentifier(std::string_view name)
{
    std::string identifier;
    for (char c : name) {
        if (IsAsciiLetterOrDigit(c) || c == '-' || c == '_')
            identifier += c;
        else
            identifier += "_" + TwoHexDigits(static_cast<unsigned char>(c));
    }
    return identifier;
}

std::string CssString(std::string_view text)
{
    std::string quoted = "'";
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '\'' || c == '\\')
            quoted += std::string("\\") + c;
        else if (code < 0x20 || code == 0x7F)
            quoted += "\\" + Hex(code) + " ";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string UrlEncoded(std::string_view name)
{
    std::string url;
    for (char c : name) {
        if (IsAsciiLetterOrDigit(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            url += c;
        } else {
            url += "%" + TwoHexDigits(static_cast<unsigned char>(c));
        }
    }
    return url;
}

std::string HtmlEscaped(std::string_view text)
{
    if (text.find_first_of("&<>\"'") == std::string_view::npos)
        return std::string(text);
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string JsonString(std::string_view text)
{
    return nlohmann::json(ValidUtf8(text)).dump();
}

}  // namespace tessolo

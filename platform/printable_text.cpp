#include "platform/printable_text.h"

namespace tessolo {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void AppendEscaped(std::string& out, unsigned char byte)
{
    constexpr char kDigits[] = "0123456789abcdef";
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text)
{
    if (text.empty())
        return 0;
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if (!IsContinuation(byte(i)))
            return 0;
    const unsigned char second = byte(1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

std::string PrintableText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::string_view rest = text.substr(i);
        const auto lead = static_cast<unsigned char>(rest[0]);
        const std::size_t length = Utf8SequenceLength(rest);
        const bool lineEnd =
            lead == '\n' || (lead == '\r' && ((i > 0 && text[i - 1] == '\n') ||
                                              (rest.size() > 1 && rest[1] == '\n')));
        const bool control = (length == 1 && (lead < 0x20 || lead == 0x7F) && !lineEnd) ||
                             (length == 2 && lead == 0xC2 &&
                              static_cast<unsigned char>(rest[1]) < 0xA0);
        const std::size_t taken = length == 0 ? 1 : length;
        if (length == 0 || control) {
            for (std::size_t k = 0; k < taken; ++k)
                AppendEscaped(out, static_cast<unsigned char>(rest[k]));
        } else {
            out += rest.substr(0, taken);
        }
        i += taken;
    }
    return out;
}

}  // namespace tessolo

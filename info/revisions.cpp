#include "info/revisions.h"

#include "platform/error.h"

#include <algorithm>
#include <utility>

namespace tessolo {

namespace {

constexpr std::string_view kChecksumField = ",sha256=";
constexpr std::size_t kChecksumDigits = 64;

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Splits "1.1.2,sha256=<64 hex digits>" into the version and the checksum in
// lower case; any other text is all version, with no checksum.
std::pair<std::string_view, std::string> SplitChecksum(std::string_view text)
{
    std::size_t length = kChecksumField.size() + kChecksumDigits;
    if (text.size() < length || !text.substr(text.size() - length).starts_with(kChecksumField))
        return {text, {}};
    std::string digits(text.substr(text.size() - kChecksumDigits));
    if (!std::ranges::all_of(digits, IsHexDigit))
        return {text, {}};
    std::ranges::transform(digits, digits.begin(),
                           [](char c) { return c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c; });
    return {text.substr(0, text.size() - length), std::move(digits)};
}

}  // namespace

bool IsRevisionsFile(std::string_view body)
{
    return body.find("[revisions]") != std::string_view::npos;
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        lines.emplace_back(text.substr(start, end - start));
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

RevisionsReading ReadRevisions(std::string_view body, std::string_view programName,
                               std::string_view currentVersion)
{
    std::optional<VersionNumber> current = VersionNumber::Parse(currentVersion);
    if (!current)
        throw Error("The program's own version \"" + std::string(currentVersion) +
                    "\" is not a version number");
    RevisionsReading reading;
    std::vector<std::string> lines = SplitLines(body);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        std::size_t comma = line.find(',');
        std::string_view name = comma == line.npos ? std::string_view() : line.substr(0, comma);
        if (name != programName)
            continue;
        auto [text, sha256] = SplitChecksum(line.substr(comma + 1));
        std::optional<VersionNumber> offered = VersionNumber::Parse(text);
        if (!offered)
            reading.unreadable.emplace_back(text);
        else if (*offered > (reading.newest ? reading.newest->version : *current))
            reading.newest = RevisionOffer{std::string(text), *offered, std::move(sha256)};
    }
    return reading;
}

}  // namespace tessolo

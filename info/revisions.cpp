#include "info/revisions.h"

#include "platform/error.h"

namespace tessolo {

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

std::vector<RevisionOffer> FindOffers(std::string_view body, std::string_view programName,
                                      std::string_view currentVersion)
{
    std::optional<VersionNumber> current = VersionNumber::Parse(currentVersion);
    if (!current)
        throw Error("The program's own version \"" + std::string(currentVersion) +
                    "\" is not a version number");
    std::vector<RevisionOffer> offers;
    std::vector<std::string> lines = SplitLines(body);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        std::size_t comma = line.find(',');
        std::string_view name = comma == line.npos ? std::string_view() : line.substr(0, comma);
        if (name != programName)
            continue;
        std::string_view text = line.substr(comma + 1);
        std::optional<VersionNumber> offered = VersionNumber::Parse(text);
        if (!offered || *offered > *current)
            offers.push_back({std::string(text), offered});
    }
    return offers;
}

}  // namespace tessolo

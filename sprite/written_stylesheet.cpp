#include "sprite/written_stylesheet.h"

#include "sprite/class_names.h"
#include "sprite/high_density.h"
#include "sprite/state_classes.h"
#include "sprite/stylesheet.h"
#include "sprite/web_outputs.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace tessolo {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kBlockStart = " { ";

std::optional<unsigned> HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return unsigned(c - '0');
    if (c >= 'a' && c <= 'f')
        return unsigned(c - 'a' + 10);
    return std::nullopt;
}

// The class whose selector is `selector`, "." and a class name exactly as
// the build escapes it: the escapes are undone and the name escaped again.
std::optional<ClassName> WrittenClass(std::string_view selector)
{
    if (!selector.starts_with('.'))
        return std::nullopt;
    std::string name;
    for (std::size_t i = 1; i < selector.size(); ++i) {
        if (selector[i] != '\\') {
            name += selector[i];
            continue;
        }
        if (++i == selector.size())
            return std::nullopt;
        // A code in one or two hexadecimal digits ended by a blank, or the
        // character itself.
        if (std::optional<unsigned> high = HexDigit(selector[i])) {
            unsigned code = *high;
            if (i + 1 < selector.size() && HexDigit(selector[i + 1]))
                code = code * 16 + *HexDigit(selector[++i]);
            if (++i == selector.size() || selector[i] != ' ')
                return std::nullopt;
            name += char(code);
        } else {
            name += selector[i];
        }
    }
    ClassName written = BaseClassName("." + name);
    if (written.selector != selector)
        return std::nullopt;
    return written;
}

// Whether `selectors` are those of an image's rule: a class as the build
// writes it, or a state image's class and its state on the base class. The
// second holds no ", ", since the build escapes every "," and blank in a name.
bool IsWrittenRuleSelector(std::string_view selectors)
{
    const std::size_t list = selectors.rfind(", ");
    const std::optional<ClassName> own = WrittenClass(selectors.substr(0, list));
    if (!own)
        return false;
    return list == std::string_view::npos || RuleSelector(*own, true) == selectors;
}

// Whether `selectors` are those of a sheet's base rule: a class as the build
// writes it, and for one of split sheets the selectors of its images' rules
// after it, each a class or a state on a class.
bool IsWrittenSheetSelector(std::string_view selectors)
{
    for (std::size_t start = 0, piece = 0;; ++piece) {
        const std::size_t end = selectors.find(", ", start);
        const std::string_view part = selectors.substr(start, end - start);
        const std::size_t colon = part.rfind(':');
        const bool state = piece > 0 && colon != std::string_view::npos &&
                           std::ranges::find(kStatePseudoClasses, part.substr(colon + 1)) !=
                               kStatePseudoClasses.end() &&
                           WrittenClass(part.substr(0, colon));
        if (!state && !WrittenClass(part))
            return false;
        if (end == std::string_view::npos)
            return true;
        start = end + 2;
    }
}

// The integers written in `text` (runs of digits, with a leading "-"), or
// nothing when one is longer than a 32-bit value can be.
std::optional<std::vector<std::int64_t>> NumbersIn(std::string_view text)
{
    std::vector<std::int64_t> numbers;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool negative = text[i] == '-';
        std::size_t at = i + (negative ? 1 : 0);
        if (at >= text.size() || text[at] < '0' || text[at] > '9')
            continue;
        std::int64_t value = 0;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
            if (value > std::numeric_limits<std::uint32_t>::max())
                return std::nullopt;
            value = value * 10 + (text[at] - '0');
        }
        numbers.push_back(negative ? -value : value);
        i = at - 1;
    }
    return numbers;
}

// The decimal numbers written in `text` ("-12", "33.3333"), in order;
// nothing after one too large for a double, which no rule holds.
std::vector<double> DecimalsIn(std::string_view text)
{
    std::vector<double> numbers;
    for (const char* at = text.data(); at < text.data() + text.size(); ++at) {
        if ((*at < '0' || *at > '9') && *at != '-')
            continue;
        double value = 0;
        const auto [end, error] = std::from_chars(at, text.data() + text.size(), value,
                                                  std::chars_format::fixed);
        if (error == std::errc::invalid_argument)
            continue;
        if (error != std::errc())
            return {};
        numbers.push_back(value);
        at = end - 1;
    }
    return numbers;
}

bool FitsInt32(std::int64_t value)
{
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

// The URL in the first "url('...')" of `text`, as written, and the text
// after it; the caller writes the rule again to compare.
struct UrlPart {
    std::string url;
    std::string_view after;
};
std::optional<UrlPart> UrlIn(std::string_view text)
{
    constexpr std::string_view kOpen = "url('";
    std::size_t start = text.find(kOpen);
    if (start == std::string_view::npos)
        return std::nullopt;
    start += kOpen.size();
    std::size_t end = text.find('\'', start);
    if (end == std::string_view::npos)
        return std::nullopt;
    return UrlPart{std::string(text.substr(start, end - start)), text.substr(end)};
}

// Reads the image-set() declaration that may follow a rule's first URL:
// `after` starts at the quote that closes that URL. Its options go into
// `image`. Returns the text after the sheet's images' declarations, or
// nothing when they are not as the build writes them; the caller writes the
// rule again to compare.
std::optional<std::string_view> ReadSheetImages(std::string_view after, RuleImage& image)
{
    constexpr std::string_view kPlainEnd = "'); ";
    constexpr std::string_view kSetStart = "'); background-image: image-set(";
    constexpr std::string_view kTypeStart = " type('";
    if (!after.starts_with(kSetStart))
        return after.starts_with(kPlainEnd) ? std::optional(after.substr(kPlainEnd.size()))
                                            : std::nullopt;
    std::string_view rest = after.substr(kSetStart.size());
    for (;;) {
        std::optional<UrlPart> url = UrlIn(rest);
        if (!url || !url->after.starts_with("')"))
            return std::nullopt;
        ImageOption option{url->url, 0, {}};
        std::string_view tail = url->after.substr(2);
        if (tail.size() >= 3 && tail[0] == ' ' && tail[1] >= '1' && tail[1] <= '9' && tail[2] == 'x') {
            option.scale = tail[1] - '0';
            tail.remove_prefix(3);
        }
        if (tail.starts_with(kTypeStart)) {
            tail.remove_prefix(kTypeStart.size());
            const std::size_t typeEnd = tail.find("')");
            if (typeEnd == std::string_view::npos)
                return std::nullopt;
            option.mimeType = std::string(tail.substr(0, typeEnd));
            tail.remove_prefix(typeEnd + 2);
        }
        image.options.push_back(std::move(option));
        if (tail.starts_with("); "))
            return tail.substr(3);
        if (!tail.starts_with(", "))
            return std::nullopt;
        rest = tail.substr(2);
    }
}

enum class LineKind {
    Other, BaseRule, PositionRule, SizeRule, PercentPositionRule, PercentSizeRule, DensitySwitch
};

// The kind of the whole `line` whose rule "<selector><body>" names a sheet:
// the base rule (`scale` 0), or the block around it that switches screens
// of `scale` to their sheet.
LineKind SheetRuleKind(const std::string& selector, std::string_view body, std::string_view line,
                       std::int32_t scale)
{
    std::optional<UrlPart> url = UrlIn(body);
    if (!url)
        return LineKind::Other;
    RuleImage image{url->url, {}};
    std::optional<std::string_view> rest = ReadSheetImages(url->after, image);
    if (!rest)
        return LineKind::Other;
    if (scale == 0)
        return BaseRule(selector, image) == line ? LineKind::BaseRule : LineKind::Other;
    // The block of rules in pixels gives the sheet's size; that of rules in
    // percent does not.
    std::optional<std::vector<std::int64_t>> size = NumbersIn(*rest);
    if (size && size->empty())
        return DensityRule(selector, scale, image, 0, 0, kUnitsPercent) == line
                   ? LineKind::DensitySwitch
                   : LineKind::Other;
    if (!size || size->size() != 2 || !FitsInt32((*size)[0]) || !FitsInt32((*size)[1]))
        return LineKind::Other;
    return DensityRule(selector, scale, image, std::int32_t((*size)[0]), std::int32_t((*size)[1])) ==
                   line
               ? LineKind::DensitySwitch
               : LineKind::Other;
}

// The kind of an image rule in percent "<selector><body>", in either line
// style: the percentages and the size are written again.
LineKind PercentRuleKind(const std::string& selector, std::string_view body,
                         std::string_view line)
{
    const std::vector<double> n = DecimalsIn(body);
    if (n.size() != 6)
        return LineKind::Other;
    for (double side : {n[4], n[5]})
        if (side != std::trunc(side) || side < std::numeric_limits<std::int32_t>::min() ||
            side > std::numeric_limits<std::int32_t>::max())
            return LineKind::Other;
    const bool withSize = body.find("aspect-ratio") == std::string_view::npos;
    const std::string written =
        PercentStylesheetLine(selector, {n[0], n[1], n[2], n[3]}, std::int32_t(n[4]),
                              std::int32_t(n[5]), withSize ? kPositionAndSize : kPositionOnly);
    if (written != line)
        return LineKind::Other;
    return withSize ? LineKind::PercentSizeRule : LineKind::PercentPositionRule;
}

// The kind of an image rule "<selector><body>", in either line style and
// either units.
LineKind ImageRuleKind(const std::string& selector, std::string_view body, std::string_view line)
{
    if (body.find("background-size") != std::string_view::npos)
        return PercentRuleKind(selector, body, line);
    // An offset is the negated place, which must be a 32-bit value.
    std::optional<std::vector<std::int64_t>> numbers = NumbersIn(body);
    if (!numbers || (numbers->size() != 2 && numbers->size() != 4))
        return LineKind::Other;
    const std::vector<std::int64_t>& n = *numbers;
    if (!FitsInt32(-n[0]) || !FitsInt32(-n[1]))
        return LineKind::Other;
    const bool withSize = n.size() == 4;
    if (withSize && (!FitsInt32(n[2]) || !FitsInt32(n[3])))
        return LineKind::Other;
    const std::string written =
        StylesheetLine(selector, std::int32_t(-n[0]), std::int32_t(-n[1]),
                       withSize ? std::int32_t(n[2]) : 0, withSize ? std::int32_t(n[3]) : 0,
                       withSize ? kPositionAndSize : kPositionOnly);
    if (written != line)
        return LineKind::Other;
    return withSize ? LineKind::SizeRule : LineKind::PositionRule;
}

// The kind of an image rule that shows its own sheet (split sheets without
// a base rule): the rule without the sheet's image, written again with it.
LineKind SheetImageRuleKind(const std::string& selector, std::string_view body,
                            std::string_view line)
{
    constexpr std::string_view kImageStart = " { background-image: url(";
    std::optional<UrlPart> url = UrlIn(body);
    if (!body.starts_with(kImageStart) || !url)
        return LineKind::Other;
    RuleImage image{url->url, {}};
    std::optional<std::string_view> after = ReadSheetImages(url->after, image);
    if (!after)
        return LineKind::Other;
    const std::string rest = std::string(kBlockStart) + std::string(*after);
    const std::string restLine = selector + rest;
    const LineKind kind = ImageRuleKind(selector, rest, restLine);
    return kind != LineKind::Other && RuleWithSheet(restLine, image) == line ? kind
                                                                              : LineKind::Other;
}

struct ReadLine {
    LineKind kind = LineKind::Other;
    std::string selector;
    std::int32_t scale = 0;  // of a density switch
};

// What `line` is: each kind is written again from the parts read, so only a
// line exactly as the build writes it is recognised.
ReadLine ReadStylesheetLine(std::string_view line)
{
    std::int32_t scale = 0;
    std::string_view rule = line;
    for (std::int32_t n = 2; n <= kMaxScale && !scale; ++n)
        if (const std::string media = DensityMedia(n) + std::string(kBlockStart); line.starts_with(media)) {
            scale = n;
            rule = line.substr(media.size());
        }
    // A selector holds no " { ": the build escapes every "{" in a name.
    const std::size_t selectorEnd = rule.find(kBlockStart);
    if (selectorEnd == std::string_view::npos)
        return {};
    ReadLine read{LineKind::Other, std::string(rule.substr(0, selectorEnd)), scale};
    const std::string_view body = rule.substr(selectorEnd);
    if (scale || body.find("url(") != std::string_view::npos) {
        read.kind = IsWrittenSheetSelector(read.selector)
                        ? SheetRuleKind(read.selector, body, line, scale)
                        : LineKind::Other;
        if (read.kind == LineKind::Other && !scale && IsWrittenRuleSelector(read.selector))
            read.kind = SheetImageRuleKind(read.selector, body, line);
    } else if (IsWrittenRuleSelector(read.selector))
        read.kind = ImageRuleKind(read.selector, body, line);
    return read;
}

bool Holds(const std::vector<std::string>& list, const std::string& item)
{
    return std::ranges::find(list, item) != list.end();
}

bool IsSelectorList(std::string_view selectors)
{
    return selectors.find(", ") != std::string_view::npos;
}

}  // namespace

bool IsWrittenStylesheet(std::string_view text, bool whole)
{
    // The base rules: one, or one per split sheet, each a list of selectors.
    std::vector<std::string> baseSelectors;
    std::vector<std::string> switched;  // the selector and scale of each density switch
    std::optional<LineKind> ruleKind;
    bool ended = false;  // the density switches close the stylesheet
    for (std::size_t lineEnd; (lineEnd = text.find(kLineEnd)) != std::string_view::npos;) {
        const std::string_view line = text.substr(0, lineEnd);
        text.remove_prefix(lineEnd + kLineEnd.size());
        const ReadLine read = ReadStylesheetLine(line);
        switch (read.kind) {
        case LineKind::Other:
            return false;
        case LineKind::BaseRule:
            if (ruleKind || (!baseSelectors.empty() &&
                             (!IsSelectorList(read.selector) || !IsSelectorList(baseSelectors[0]))))
                return false;
            baseSelectors.push_back(read.selector);
            break;
        case LineKind::PositionRule:
        case LineKind::SizeRule:
        case LineKind::PercentPositionRule:
        case LineKind::PercentSizeRule:
            if (ended || (ruleKind && *ruleKind != read.kind))
                return false;
            ruleKind = read.kind;
            break;
        case LineKind::DensitySwitch: {
            const std::string key = std::to_string(read.scale) + " " + read.selector;
            if (!ruleKind || !Holds(baseSelectors, read.selector) || Holds(switched, key))
                return false;
            switched.push_back(key);
            ended = true;
            break;
        }
        }
    }
    return ruleKind.has_value() && (!whole || text.empty());
}

}  // namespace tessolo

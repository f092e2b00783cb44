#include "sprite/data_names.h"

#include "settings/data_formats.h"
#include "sprite/web_escapes.h"

#include <iterator>
#include <unordered_map>

namespace tessolo {

namespace {

// How one language makes a name from a text, and when it takes two names
// for the same.
struct NameRule {
    const char* what;                                  // "SCSS variable"
    std::string (*text)(const PlacedImage& image);     // what the name is made from
    std::string (*named)(const std::string& text);     // the name as written
    std::string (*identity)(const std::string& text);  // equal for names taken as one
    const char* quote;                                 // around a name in a warning
};

std::string ClassText(const PlacedImage& image) { return image.className.attribute; }

// A member whose name starts with "-" or "_" is private to its Sass module,
// so such a class gets "sprite" in front to stay reachable through `@use`.
std::string ScssVariableText(const PlacedImage& image)
{
    const std::string& name = image.className.attribute;
    return name.starts_with('-') || name.starts_with('_') ? "sprite" + name : name;
}

const NameRule kScssRule{
    "SCSS variable", &ScssVariableText,
    [](const std::string& text) { return "$" + ScssIdentifier(text); },
    // The character an identifier's escape stands for, with "_" as "-"; a NUL
    // stands for U+FFFD.
    [](const std::string& text) {
        std::string identity;
        for (char c : text) {
            if (c == '_')
                identity += '-';
            else if (c == '\0')
                identity += "\xEF\xBF\xBD";
            else
                identity += c;
        }
        return identity;
    },
    ""};

const NameRule kLessRule{
    "LESS variable", &ClassText,
    [](const std::string& text) { return "@" + LessIdentifier(text); },
    [](const std::string& text) { return LessIdentifier(text); }, ""};

const NameRule kJsonRule{
    "JSON frame name", [](const PlacedImage& image) { return ByteEscapedUtf8(image.fileName); },
    [](const std::string& text) { return text; }, [](const std::string& text) { return text; },
    "\""};

DataNames UniqueNames(const std::vector<PlacedImage>& images, const NameRule& rule)
{
    // Every image's own name is claimed before any suffix is chosen, so a
    // suffixed name never takes the name of a later image.
    struct Claim {
        std::size_t image;   // the image whose name it is
        int nextSuffix = 2;  // for the next image that wants the same name
    };
    std::unordered_map<std::string, Claim> claims;
    std::vector<std::string> texts, identities;
    texts.reserve(images.size());
    identities.reserve(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        texts.push_back(rule.text(images[i]));
        identities.push_back(rule.identity(texts.back()));
        claims.try_emplace(identities.back(), Claim{i});
    }

    const auto shown = [&rule](const std::string& text) {
        return rule.quote + rule.named(text) + rule.quote;
    };
    DataNames result;
    result.names.reserve(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        Claim& claim = claims.at(identities[i]);
        if (claim.image == i) {
            result.names.push_back(rule.named(texts[i]));
            continue;
        }
        std::string text;
        do
            text = texts[i] + "-" + std::to_string(claim.nextSuffix++);
        while (!claims.try_emplace(rule.identity(text), Claim{i}).second);
        result.names.push_back(rule.named(text));

        const std::size_t owner = claim.image;
        const std::string wanted = shown(texts[i]), taken = shown(texts[owner]);
        std::string why = wanted == taken ? wanted + " is " + images[owner].fileName + "'s already"
                                          : wanted + " is the same as " + images[owner].fileName +
                                                "'s " + taken;
        result.warnings.push_back("warning: " + images[i].fileName + " gets the " + rule.what +
                                  " " + shown(text) + ", as " + why);
    }
    return result;
}

}  // namespace

DataNames ScssVariables(const std::vector<PlacedImage>& images)
{
    return UniqueNames(images, kScssRule);
}

DataNames LessVariables(const std::vector<PlacedImage>& images)
{
    return UniqueNames(images, kLessRule);
}

DataNames JsonFrameNames(const std::vector<PlacedImage>& images)
{
    return UniqueNames(images, kJsonRule);
}

std::vector<std::string> DataNameWarnings(const std::vector<PlacedImage>& images,
                                          std::int32_t dataFormats)
{
    constexpr const NameRule* kRules[] = {&kScssRule, &kLessRule, &kJsonRule};
    static_assert(std::size(kRules) == std::size(kDataFormats));
    std::vector<std::string> warnings;
    for (std::size_t i = 0; i < std::size(kDataFormats); ++i) {
        if (!(dataFormats & kDataFormats[i].format))
            continue;
        std::vector<std::string> found = UniqueNames(images, *kRules[i]).warnings;
        warnings.insert(warnings.end(), found.begin(), found.end());
    }
    return warnings;
}

}  // namespace tessolo

#include "sprite/state_classes.h"

#include <set>

namespace tessolo {

std::optional<ClassState> StateOf(const ClassName& imageClass)
{
    const std::string_view name = imageClass.attribute;
    for (std::string_view pseudoClass : kStatePseudoClasses) {
        const std::string suffix = "_" + std::string(pseudoClass);
        if (name.size() > suffix.size() && name.ends_with(suffix)) {
            const std::string_view base = name.substr(0, name.size() - suffix.size());
            return ClassState{BaseClassName("." + std::string(base)), pseudoClass};
        }
    }
    return std::nullopt;
}

std::string RuleSelector(const ClassName& imageClass, bool pseudoClasses)
{
    std::optional<ClassState> state = pseudoClasses ? StateOf(imageClass) : std::nullopt;
    if (!state)
        return imageClass.selector;
    return imageClass.selector + ", " + state->base.selector + ":" +
           std::string(state->pseudoClass);
}

std::vector<std::string> StatesWithoutBase(const std::vector<PlacedImage>& images)
{
    std::set<std::string> classes;
    for (const PlacedImage& image : images)
        classes.insert(image.className.attribute);
    std::vector<std::string> warnings;
    for (const PlacedImage& image : images)
        if (std::optional<ClassState> state = StateOf(image.className);
            state && !classes.contains(state->base.attribute))
            warnings.push_back("warning: " + image.fileName + " is the :" +
                               std::string(state->pseudoClass) + " state of the class \"" +
                               state->base.attribute + "\", which no image has");
    return warnings;
}

}  // namespace tessolo

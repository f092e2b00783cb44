// Images for the states of an element: with pseudo-classes on, the image
// "home_hover.png" also shows on ".sprite-home:hover", and so for each state
// below.
#pragma once

#include "sprite/class_names.h"
#include "sprite/web_outputs.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessolo {

// The states a class can end in, each after "_": "home_focus-visible".
inline constexpr std::array<std::string_view, 7> kStatePseudoClasses{
    "hover", "active", "focus", "focus-visible", "visited", "checked", "disabled"};

// The class that a state image stands for under its pseudo-class.
struct ClassState {
    ClassName base;                // "sprite-home"
    std::string_view pseudoClass;  // "hover"
};

// The state that `imageClass` ends in: "sprite-home_hover" is "sprite-home"
// under :hover. Nothing when its class ends in no state, or is the state
// alone.
std::optional<ClassState> StateOf(const ClassName& imageClass);

// The selectors of an image's rule: its own, and with `pseudoClasses` also
// its state on the base class, in one list, since both show the same place:
//   .sprite-home_hover, .sprite-home:hover
std::string RuleSelector(const ClassName& imageClass, bool pseudoClasses);

// A warning for each state image whose base class no image has.
std::vector<std::string> StatesWithoutBase(const std::vector<PlacedImage>& images);

}  // namespace tessolo

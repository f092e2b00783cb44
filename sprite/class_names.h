// The class names of a stylesheet: names a page can write in a class
// attribute, with the selectors that match them.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tessolo {

struct ClassName {
    std::string attribute;  // the name as a class attribute holds it
    std::string selector;   // "." and the name, escaped as a selector needs it
};

// The class of the image whose file's base name is `baseName`: the class
// text without its leading ".", "-" and the base name. White space becomes
// "-", bytes that are not UTF-8 become U+FFFD, and the selector escapes
// every character a CSS identifier does not allow as it is.
ClassName ImageClassName(std::string_view classText, std::string_view baseName);

// The class of the class text itself, by the same rule.
ClassName BaseClassName(std::string_view classText);

// Notices images that end up with the same class.
class ClassCollisions {
public:
    // Records that `file` has the class `name`. Returns a warning naming the
    // earlier file of the same class, or an empty text.
    std::string Add(const std::string& file, const ClassName& name);

private:
    std::map<std::string, std::string> firstFileOf_;
};

}  // namespace tessolo

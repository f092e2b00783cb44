#include "sprite/class_names.h"

#include "sprite/web_escapes.h"

namespace tessolo {

namespace {

// The white space that separates the classes of a class attribute.
bool IsAttributeSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

ClassName Named(std::string_view text)
{
    ClassName name;
    name.attribute = ValidUtf8(text);
    for (char& c : name.attribute)
        if (IsAttributeSpace(c))
            c = '-';
    name.selector = "." + CssIdentifier(name.attribute);
    return name;
}

std::string_view WithoutDot(std::string_view classText)
{
    return classText.starts_with('.') ? classText.substr(1) : classText;
}

}  // namespace

ClassName ImageClassName(std::string_view classText, std::string_view baseName)
{
    std::string text(WithoutDot(classText));
    text.append("-").append(baseName);
    return Named(text);
}

ClassName BaseClassName(std::string_view classText) { return Named(WithoutDot(classText)); }

std::string ClassCollisions::Add(const std::string& file, const ClassName& name)
{
    auto [first, added] = firstFileOf_.try_emplace(name.attribute, file);
    if (added)
        return "";
    return "warning: " + file + " gets the class \"" + name.attribute + "\" that " +
           first->second + " has already";
}

}  // namespace tessolo

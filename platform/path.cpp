#include "platform/path.h"

namespace tessolo {

std::string_view FileNameOf(std::string_view path)
{
    std::size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string BaseName(std::string_view path)
{
    std::string_view name = FileNameOf(path);
    return std::string(name.substr(0, name.find_last_of('.')));
}

std::string ExtensionOf(std::string_view path)
{
    std::string_view name = FileNameOf(path);
    std::size_t dot = name.find_last_of('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

}  // namespace tessolo

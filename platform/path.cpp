#include "platform/path.h"

namespace tessolo {

namespace {

// Where the file name of `path` starts: after its last "/".
std::size_t FileNameStart(std::string_view path)
{
    std::size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

}  // namespace

std::string InFolder(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    if (path.empty() || path.back() != '/')
        path += '/';
    return path += name;
}

std::string FromFolder(std::string_view folder, std::string_view path)
{
    if (path.empty() || path.front() == '/')
        return std::string(path);
    return InFolder(folder, path);
}

std::string_view FolderOf(std::string_view path) { return path.substr(0, FileNameStart(path)); }

std::string_view FileNameOf(std::string_view path) { return path.substr(FileNameStart(path)); }

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

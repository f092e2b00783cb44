#include "cli/project_file.h"

#include "cli/cli_options.h"
#include "platform/path.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <fcntl.h>
#include <sstream>
#include <unistd.h>

namespace tessolo::cli {

namespace {

// A project file holds options, never more than this.
constexpr std::uintmax_t kMaxProjectFileBytes = 1 << 20;

std::string Located(const std::string& path, int line, const std::string& what)
{
    return path + ", line " + std::to_string(line) + ": " + what;
}

// What a key of `type` needs, for the message about a value of another type.
std::string Needed(ProjectValue type)
{
    switch (type) {
    case ProjectValue::Boolean: return "true or false";
    case ProjectValue::Integer: return "a whole number";
    case ProjectValue::Text:
    case ProjectValue::Path: return "a text in quotes";
    case ProjectValue::Texts:
    case ProjectValue::Paths: break;
    }
    return "a text in quotes or an array of them";
}

// The text of a node that is a text, or a whole number written as one
// (bmp-bits = 24 as well as "24").
std::optional<std::string> TextOf(const toml::node& node)
{
    if (const auto* text = node.as_string())
        return text->get();
    if (const auto* number = node.as_integer())
        return std::to_string(number->get());
    return std::nullopt;
}

// The texts of a node that is a text or, where `many`, an array of texts.
std::optional<std::vector<std::string>> TextsOf(const toml::node& node, bool many)
{
    if (auto text = TextOf(node))
        return std::vector<std::string>{*text};
    const auto* array = node.as_array();
    if (!many || array == nullptr)
        return std::nullopt;
    std::vector<std::string> texts;
    for (const toml::node& item : *array) {
        auto text = TextOf(item);
        if (!text)
            return std::nullopt;
        texts.push_back(std::move(*text));
    }
    return texts;
}

// The command-line words of one key's value, or nothing when its type is
// wrong.
std::optional<std::vector<std::string>> WordsOf(const std::string& key, ProjectValue type,
                                                const toml::node& node, const std::string& folder)
{
    const std::string option = "--" + key;
    if (type == ProjectValue::Boolean) {
        if (const auto* value = node.as_boolean())
            return std::vector<std::string>{value->get() ? option : "--no-" + key};
        return std::nullopt;
    }
    if (type == ProjectValue::Integer) {
        if (const auto* value = node.as_integer())
            return std::vector<std::string>{option + "=" + std::to_string(value->get())};
        return std::nullopt;
    }
    const bool paths = type == ProjectValue::Path || type == ProjectValue::Paths;
    auto texts = TextsOf(node, type == ProjectValue::Texts || type == ProjectValue::Paths);
    if (!texts)
        return std::nullopt;
    if (texts->empty())
        texts->push_back("");  // an empty list clears what the store holds
    std::vector<std::string> words;
    for (const std::string& text : *texts)
        words.push_back(option + "=" + (paths ? FromFolder(folder, text) : text));
    return words;
}

toml::table ParsedFile(const std::string& path)
{
    std::error_code failed;
    if (std::filesystem::file_size(path, failed) > kMaxProjectFileBytes && !failed)
        throw UsageError(path + " is larger than 1 MiB, too large for a project file");
    try {
        return toml::parse_file(path);
    } catch (const toml::parse_error& error) {
        const int line = int(error.source().begin.line);
        const std::string what(error.description());
        if (line == 0)  // not read at all
            throw FileOpenError(path, what);
        throw UsageError(Located(path, line, what));
    }
}

}  // namespace

ProjectFileWords ReadProjectFile(const std::string& path,
                                 const std::map<std::string, ProjectValue>& keys)
{
    const toml::table table = ParsedFile(path);
    const std::string folder(FolderOf(path).empty() ? "." : FolderOf(path));
    std::vector<std::pair<int, std::string>> lines;  // the keys in the file's order
    for (auto&& [key, node] : table)
        lines.emplace_back(int(node.source().begin.line), std::string(key.str()));
    std::ranges::sort(lines);

    ProjectFileWords read;
    for (const auto& [line, key] : lines) {
        const toml::node& node = *table.get(key);
        if (key == "files") {
            auto files = TextsOf(node, true);
            if (!files || node.is_string())
                throw UsageError(Located(path, line, "files: needs an array of file names"));
            read.files = std::move(*files);
            read.filesGiven = true;
            continue;
        }
        auto known = keys.find(key);
        if (known == keys.end())
            throw UsageError(Located(path, line, "unknown key " + key));
        auto words = WordsOf(key, known->second, node, folder);
        if (!words)
            throw UsageError(Located(path, line, key + ": needs " + Needed(known->second)));
        read.keys.push_back({key, line, std::move(*words)});
    }
    return read;
}

std::string TomlText(std::string_view text)
{
    std::ostringstream out;
    out << toml::value<std::string>(std::string(text));
    return out.str();
}

std::string ProjectFileText(const std::vector<std::pair<std::string, std::string>>& values)
{
    std::string text =
        "# Tessolo project settings: the options of tessolo-cli, by their long names.\n"
        "# They apply to builds of this folder, over the stored settings and under\n"
        "# the command line. Relative paths are taken from this file's folder.\n";
    for (const auto& [key, value] : values)
        text += key + " = " + value + "\n";
    return text;
}

void WriteNewFile(const std::string& path, const std::string& text)
{
    auto failure = [&path] {
        const std::string reason = std::strerror(errno);
        return FileError("Cannot write " + path + ": " + reason, reason);
    };
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        throw FileCreateError(path, std::strerror(errno));
    const char* at = text.data();
    for (std::size_t left = text.size(); left > 0;) {
        const ssize_t written = ::write(fd, at, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            FileError error = failure();
            ::close(fd);
            ::unlink(path.c_str());
            throw error;
        }
        at += written;
        left -= std::size_t(written);
    }
    if (::close(fd) != 0) {
        FileError error = failure();
        ::unlink(path.c_str());
        throw error;
    }
}

}  // namespace tessolo::cli

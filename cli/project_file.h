// A folder's project file, tessolo.toml: the command line's long options as
// TOML keys (layout = "packed", png-optimize = true, data = ["scss"]), plus
// files = [...] for an explicit order.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessolo::cli {

inline constexpr std::string_view kProjectFileName = "tessolo.toml";

// The TOML value that a key takes.
enum class ProjectValue {
    Boolean,  // a switch: true gives --KEY, false --no-KEY
    Integer,
    Text,
    Path,   // a text; a relative path is taken from the file's folder
    Texts,  // a text or an array of texts, one option each
    Paths,  // likewise, of paths
};

// What a project file holds, as command-line words in the order of its
// lines, and the files it lists.
struct ProjectFileWords {
    struct Key {
        std::string key;
        int line;
        std::vector<std::string> words;  // "--KEY=VALUE", "--KEY" or "--no-KEY"
    };
    std::vector<Key> keys;
    std::vector<std::string> files;
    bool filesGiven = false;
};

// Reads the project file at `path`, taking the keys of `keys`. Throws
// UsageError "<path>, line N: <what>" for a file that is not TOML, an
// unknown key or a value of the wrong type, and FileError when it cannot be
// read.
ProjectFileWords ReadProjectFile(const std::string& path,
                                 const std::map<std::string, ProjectValue>& keys);

// The text of a project file that holds `values`, each a key and its value
// already written as TOML, in order.
std::string ProjectFileText(const std::vector<std::pair<std::string, std::string>>& values);

// A text as a TOML string, quoted and escaped.
std::string TomlText(std::string_view text);

// Writes `text` as the new file `path`; an existing file is never replaced.
// Throws FileError.
void WriteNewFile(const std::string& path, const std::string& text);

}  // namespace tessolo::cli

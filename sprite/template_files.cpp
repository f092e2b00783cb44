#include "sprite/template_files.h"

#include "platform/files.h"
#include "platform/path.h"
#include "sprite/web_escapes.h"

#include <mstch/mstch.hpp>

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

namespace tessolo {

namespace {

int LineAt(const std::string& text, std::size_t position)
{
    return 1 + int(std::count(text.begin(), text.begin() + std::ptrdiff_t(position), '\n'));
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// The scan of a template's tags, with the delimiters it sets on the way.
class TemplateScan {
public:
    TemplateScan(const std::string& text, const std::string& path) : text_(text), path_(path) {}

    void Run()
    {
        std::size_t at = 0;
        while ((at = text_.find(open_, at)) != std::string::npos)
            at = Tag(at);
        if (!sections_.empty())
            Fail(sections_.back().second,
                 "the section \"" + sections_.back().first + "\" is never closed");
    }

private:
    // Checks the tag that opens at `start`; returns where the scan goes on.
    std::size_t Tag(std::size_t start)
    {
        std::size_t contentStart = start + open_.size();
        std::string close = close_;
        if (open_ == "{{" && text_.compare(contentStart, 1, "{") == 0) {
            close = "}" + close_;  // {{{name}}}
            ++contentStart;
        }
        const std::size_t end = text_.find(close, contentStart);
        if (end == std::string::npos)
            Fail(start, "a tag is opened here but never closed with \"" + close + "\"");
        std::string_view content = Trimmed(
            std::string_view(text_).substr(contentStart, end - contentStart));
        if (content.empty())
            Fail(start, "a tag names nothing");
        const char kind = content.front();
        std::string name(Trimmed(content.substr(1)));
        switch (kind) {
        case '#':
        case '^':
            RequireName(name, start);
            sections_.emplace_back(name, start);
            break;
        case '/':
            RequireName(name, start);
            if (sections_.empty())
                Fail(start, "\"" + name + "\" closes a section that is not open");
            if (sections_.back().first != name)
                Fail(start, "\"" + name + "\" closes a section while \"" +
                                sections_.back().first + "\" (line " +
                                std::to_string(LineAt(text_, sections_.back().second)) +
                                ") is open");
            sections_.pop_back();
            break;
        case '=':
            SetDelimiters(content, start);
            break;
        case '>':
            Fail(start, "partial templates (\"{{>\") are not supported");
        case '&':
            RequireName(name, start);
            break;
        default:
            break;  // a variable or a comment ("!")
        }
        return end + close.size();
    }

    void SetDelimiters(std::string_view content, std::size_t start)
    {
        if (content.size() < 2 || content.back() != '=')
            Fail(start, "a delimiter tag must end with \"=\"");
        std::string_view pair = Trimmed(content.substr(1, content.size() - 2));
        const std::size_t space = pair.find_first_of(" \t");
        if (space == std::string_view::npos)
            Fail(start, "a delimiter tag needs two delimiters separated by a space");
        std::string_view open = pair.substr(0, space);
        std::string_view close = Trimmed(pair.substr(space));
        if (close.find_first_of(" \t=") != std::string_view::npos ||
            open.find('=') != std::string_view::npos)
            Fail(start, "a delimiter may hold neither spaces nor \"=\"");
        open_ = open;
        close_ = close;
    }

    void RequireName(const std::string& name, std::size_t start) const
    {
        if (name.empty())
            Fail(start, "a section tag names nothing");
    }

    [[noreturn]] void Fail(std::size_t at, const std::string& reason) const
    {
        throw TemplateSyntaxError(path_, LineAt(text_, at), reason);
    }

    const std::string& text_;
    const std::string& path_;
    std::string open_ = "{{";
    std::string close_ = "}}";
    std::vector<std::pair<std::string, std::size_t>> sections_;  // name, where it opened
};

mstch::map SheetContext(const SheetFacts& sheet)
{
    mstch::map context{{"name", sheet.title},
                       {"url", sheet.url},
                       {"width", int(sheet.width)},
                       {"height", int(sheet.height)}};
    mstch::array densities;
    for (const DenseSheet& dense : sheet.densities)
        densities.push_back(mstch::map{{"url", dense.url},
                                       {"width", int(sheet.width) * dense.scale},
                                       {"height", int(sheet.height) * dense.scale},
                                       {"scale", int(dense.scale)}});
    if (!densities.empty())
        context.emplace("high_density", densities.front());
    context.emplace("densities", std::move(densities));
    return context;
}

// An image, with the sheet that holds it (its own of split sheets).
mstch::map ImageContext(const PlacedImage& image, const SheetFacts& sheet, bool first, bool last)
{
    return mstch::map{{"sheet", SheetContext(sheet)},
                      {"file", image.fileName},
                      {"base_name", BaseName(image.fileName)},
                      {"class", image.className.attribute},
                      {"selector", image.className.selector},
                      {"x", int(image.x)},
                      {"y", int(image.y)},
                      {"offset_x", -int(image.x)},
                      {"offset_y", -int(image.y)},
                      {"width", int(image.width)},
                      {"height", int(image.height)},
                      {"first", first},
                      {"last", last}};
}

}  // namespace

TemplateSyntaxError::TemplateSyntaxError(const std::string& path, int line,
                                         const std::string& reason)
    : Error("The template " + path + " does not parse at line " + std::to_string(line) + ": " +
            reason)
{
}

std::string TemplateOutputExtension(const std::string& templatePath)
{
    const std::string stem = BaseName(templatePath);
    const std::size_t dot = stem.find('.', 1);
    if (dot == std::string::npos || dot + 1 == stem.size())
        return {};
    return stem.substr(dot);
}

void CheckTemplateSyntax(const std::string& text, const std::string& path)
{
    TemplateScan(text, path).Run();
}

OutputTemplate LoadOutputTemplate(const std::string& path)
{
    OutputTemplate loaded{path, TemplateOutputExtension(path), {}};
    if (loaded.extension.empty())
        throw Error("The template " + path +
                    " names no file type: call it after what it writes, such as "
                    "\"sprite.styl.mustache\"");
    const Bytes bytes = ReadFileBytes(path);
    loaded.text.assign(bytes.begin(), bytes.end());
    CheckTemplateSyntax(loaded.text, path);
    return loaded;
}

std::string RenderOutputTemplate(const OutputTemplate& format,
                                 const std::vector<PlacedImage>& images, const SheetFacts& sheet)
{
    mstch::array imageList;
    for (std::size_t i = 0; i < images.size(); ++i)
        imageList.push_back(ImageContext(images[i], SheetOf(sheet, images[i]), i == 0,
                                         i + 1 == images.size()));
    mstch::array sheets;  // the split sheets
    for (const SheetFacts& part : sheet.split)
        sheets.push_back(SheetContext(part));
    // Split sheets have no one sheet: the first stands for it.
    const mstch::map context{
        {"sheet", sheet.split.empty() ? SheetContext(sheet) : sheets[0]},
        {"sheets", std::move(sheets)},
        {"images", std::move(imageList)}};
    // The library's own escape also turns "/" into an entity, which would
    // spoil every URL; it is one global, set before the first render.
    static const bool escapeSet = [] {
        mstch::config::escape = [](const std::string& text) { return HtmlEscaped(text); };
        return true;
    }();
    (void)escapeSet;
    return mstch::render(format.text, context);
}

}  // namespace tessolo

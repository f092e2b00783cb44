// The preview page: every image by its classes, on a checkerboard.
#include "sprite/text_append.h"
#include "sprite/web_escapes.h"
#include "sprite/web_outputs.h"

namespace tessolo {

namespace {

// The page's own rules. Every box has a whole-pixel size, so each image
// lands on whole pixels; the frame's checkerboard shows through wherever the
// sheet is transparent.
constexpr const char* kPageStyle =
    "body { font: 14px sans-serif; margin: 16px; }\n"
    ".preview-cell { display: flex; align-items: flex-start; gap: 8px; margin: 0 0 8px; }\n"
    ".preview-frame { line-height: 0; padding: 4px;\n"
    "  background: repeating-conic-gradient(#ccc 0 25%, #fff 0 50%) 0 0 / 16px 16px; }\n"
    ".preview-name { line-height: 20px; }\n";

}  // namespace

std::string PreviewPage(const std::vector<PlacedImage>& images, const SheetFacts& sheet,
                        const PreviewStyle& style)
{
    std::string page =
        "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" +
        HtmlEscaped(ValidUtf8(sheet.title)) + "</title>\n<link rel=\"stylesheet\" href=\"" +
        HtmlEscaped(UrlEncoded(sheet.stylesheetName)) + "\">\n<style>\n" + kPageStyle;
    // Raw text: the rule's URL is percent-encoded, so it cannot end the element.
    // Split sheets without a base rule: each rule of the stylesheet shows its own sheet.
    if (!style.baseClass && sheet.split.empty())
        page += BaseRule(".preview-frame > span", RuleImageOf(sheet, 1)) + "\n";
    else if (!style.baseClass)
        page += ".preview-frame > span { background-repeat: no-repeat; display: inline-block; }\n";
    page += "</style>\n</head>\n<body>\n";
    ReserveFor(page, images.size(), 256);
    const std::string baseClass = style.baseClass ? HtmlEscaped(style.baseClass->attribute) + " " : "";
    for (const PlacedImage& image : images) {
        const std::string name = HtmlEscaped(image.className.attribute);
        Append(page, "<div class=\"preview-cell\"><span class=\"preview-frame\"><span class=\"",
               baseClass, name, '"');
        if (!style.sizeInStylesheet)
            Append(page, " style=\"width: ", image.width, "px; height: ", image.height, "px\"");
        Append(page, "></span></span><code class=\"preview-name\">", name, "</code></div>\n");
    }
    Append(page, "</body>\n</html>\n");
    return page;
}

}  // namespace tessolo

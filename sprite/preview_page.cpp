// The preview page: every image by its classes, on a checkerboard.
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

std::string Px(std::int32_t value) { return std::to_string(value) + "px"; }

}  // namespace

std::string PreviewPage(const std::vector<PlacedImage>& images, const SheetFacts& sheet,
                        const PreviewStyle& style)
{
    std::string page =
        "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" +
        HtmlEscaped(ValidUtf8(sheet.title)) + "</title>\n<link rel=\"stylesheet\" href=\"" +
        HtmlEscaped(UrlEncoded(sheet.stylesheetName)) + "\">\n<style>\n" + kPageStyle;
    // Raw text: the rule's URL is percent-encoded, so it cannot end the element.
    if (!style.baseClass)
        page += BaseRule(".preview-frame > span", sheet) + "\n";
    page += "</style>\n</head>\n<body>\n";
    const std::string baseClass = style.baseClass ? style.baseClass->attribute + " " : "";
    for (const PlacedImage& image : images) {
        std::string size = style.sizeInStylesheet ? ""
                                                  : " style=\"width: " + Px(image.width) +
                                                        "; height: " + Px(image.height) + "\"";
        page += "<div class=\"preview-cell\"><span class=\"preview-frame\"><span class=\"" +
                HtmlEscaped(baseClass + image.className.attribute) + "\"" + size +
                "></span></span><code class=\"preview-name\">" +
                HtmlEscaped(image.className.attribute) + "</code></div>\n";
    }
    return page + "</body>\n</html>\n";
}

}  // namespace tessolo

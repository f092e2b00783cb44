// Files of the user's own format, written from Mustache templates with the
// sheet and its images as context:
//
//   sheet:  name, url, width, height, and when there is one high_density
//           (url, width, height, scale)
//   images: file, base_name, class, selector, x, y, offset_x, offset_y,
//           width, height, state, first, last; in build order
//
// `{{name}}` escapes &, <, >, " and ' for HTML as Mustache demands;
// `{{{name}}}` writes the value as it is.
#pragma once

#include "platform/error.h"
#include "sprite/web_outputs.h"

#include <string>
#include <vector>

namespace tessolo {

// A template as read from its file, checked to parse.
struct OutputTemplate {
    std::string path;       // the template file
    std::string extension;  // what follows NAME in the file it writes: ".styl"
    std::string text;
};

// A template whose text does not parse, with the line where it fails.
class TemplateSyntaxError : public Error {
public:
    TemplateSyntaxError(const std::string& path, int line, const std::string& reason);
};

// What follows NAME in the file a template writes: its file name from the
// first dot on, without the last extension ("sprite.styl.mustache" gives
// ".styl", "sprite.vars.css.mustache" ".vars.css"); an empty text when
// nothing is left ("x.mustache").
std::string TemplateOutputExtension(const std::string& templatePath);

// Reads and checks a template. Throws FileOpenError when it cannot be read,
// TemplateSyntaxError when it does not parse, and Error when it names no
// extension of its own.
OutputTemplate LoadOutputTemplate(const std::string& path);

// Checks that `text` parses: tags closed, sections closed in order, set
// delimiters well formed. Throws TemplateSyntaxError naming `path`.
void CheckTemplateSyntax(const std::string& text, const std::string& path);

// The text a template writes for the placed images of a sheet, with the
// URLs the stylesheet uses.
std::string RenderOutputTemplate(const OutputTemplate& format,
                                 const std::vector<PlacedImage>& images, const SheetFacts& sheet);

}  // namespace tessolo

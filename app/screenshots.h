// `tessolo --screenshots OUTDIR FOLDER`: builds every image of FOLDER from
// the window on a transparent sheet and saves pictures of the main window,
// the result viewer at 1:1 pointing at an image, each preferences page, the
// about window and the change log to OUTDIR, for the documentation: each in
// the desktop's palette and in a dark one, as NAME-light.png and NAME-dark.png.
#pragma once

#include <QString>

namespace tessolo {

class TessoloApp;
class UserPrompts;

// Returns the program's exit status.
int TakeScreenshots(TessoloApp& app, UserPrompts& prompts, const QString& folder,
                    const QString& outDir);

}  // namespace tessolo

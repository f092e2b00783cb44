// `tessolo --screenshots OUTDIR FOLDER`: builds every image of FOLDER from
// the window and saves pictures of the main window, the result viewer, each
// preferences page, the about window and the change log to OUTDIR, for the
// documentation.
#pragma once

#include <QString>

namespace tessolo {

class TessoloApp;
class UserPrompts;

// Returns the program's exit status.
int TakeScreenshots(TessoloApp& app, UserPrompts& prompts, const QString& folder,
                    const QString& outDir);

}  // namespace tessolo

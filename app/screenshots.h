// `tessolo --screenshots OUTDIR FOLDER`: builds every image of FOLDER from
// the window and saves pictures of the main window, the result viewer and
// each preferences page to OUTDIR, for the documentation.
#pragma once

#include <QString>

namespace tessolo {

class TessoloApp;

// Returns the program's exit status.
int TakeScreenshots(TessoloApp& app, const QString& folder, const QString& outDir);

}  // namespace tessolo

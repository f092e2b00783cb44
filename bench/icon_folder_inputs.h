// The build inputs of a benchmark's icon folder: project "sheet", class
// ".icon", rules with sizes. The caller adds the files.
#pragma once

#include "sprite/sprite_build.h"
#include "sprite/stylesheet.h"

#include <string>

namespace tessolo::bench {

inline BuildInputs IconFolderInputs(const std::string& folder, OutputType outputType)
{
    BuildInputs inputs;
    inputs.Folder = folder;
    inputs.ProjectName = "sheet";
    inputs.SpriteClass = ".icon";
    inputs.LineStyleText = kLineStyleTexts[kPositionAndSize];
    inputs.LineStyle = kPositionAndSize;
    inputs.OutputFileType = outputType;
    return inputs;
}

}  // namespace tessolo::bench

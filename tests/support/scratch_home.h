// A scratch home and configuration folder for a window test, so that no test
// reads or writes the settings of the user who runs it.
#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

namespace tessolo::test {

class ScratchHome {
public:
    // Points HOME and XDG_CONFIG_HOME into the scratch folder; false when the
    // folder could not be made.
    bool Enter()
    {
        if (!dir_.isValid())
            return false;
        qputenv("XDG_CONFIG_HOME", dir_.filePath("config").toUtf8());
        qputenv("HOME", dir_.filePath("home").toUtf8());
        return true;
    }

private:
    QTemporaryDir dir_;
};

}  // namespace tessolo::test

// TEMP stand-in for TPrefs until the preferences dialog is merged.
#pragma once

#include "platform/user_prompts.h"
#include "settings/format_prefs.h"
#include "settings/orvane_registry.h"

#include <QDialog>

namespace tessolo {

class TPrefs : public QDialog {
    Q_OBJECT
public:
    explicit TPrefs(UserPrompts& prompts, QWidget* parent = nullptr);
    FormatPrefsSet& Records() { return records_; }
    void BindSettings(OrvaneRegistry& settings) { settings_ = &settings; }
    void ShowPrefs();

private:
    FormatPrefsSet records_;
    OrvaneRegistry* settings_ = nullptr;
};

}  // namespace tessolo

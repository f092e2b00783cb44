// The preferences dialog: layout, resizing, paddings, the options of each
// output format and the outputs for web pages. Modeless and created once; showing copies the settings and
// the four per-format records into the controls, hiding (by "&Close",
// Escape or the close box) copies them back. The rules live in PrefsModel;
// this window forwards the user's input to it and shows what it holds.
#pragma once

#include "platform/user_prompts.h"
#include "settings/format_prefs.h"
#include "settings/settings_store.h"
#include "settings/prefs_model.h"

#include <QDialog>

#include <exception>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QVBoxLayout;

namespace tessolo {

class ChoiceGroupBox;

class TPrefs : public QDialog {
    Q_OBJECT
public:
    explicit TPrefs(UserPrompts& prompts, QWidget* parent = nullptr);

    // The four per-format records, with their first-run defaults until the
    // settings store loads them.
    FormatPrefsSet& Records() { return records_; }
    // The settings the dialog edits; start-up binds them before any showing.
    void BindSettings(OrvaneRegistry& settings) { settings_ = &settings; }
    // Options > Preferences: shows the dialog, or brings it to the front
    // when it is already visible. Throws Error when no settings are bound.
    void ShowPrefs();
    // Shows the dialog and saves an image of it with each page in front, as
    // prefs-general.png, prefs-jpeg.png, ... in `folder`; returns the paths.
    // Throws FileCreateError when an image cannot be written.
    QStringList SavePageImages(const QString& folder);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* MakeGeneralPage();
    QWidget* MakeJpegPage();
    QWidget* MakePngPage();
    QWidget* MakeGifPage();
    QWidget* MakeBmpPage();
    QWidget* MakeWebPage();
    // A check box that shows and sets `field`.
    QCheckBox* MakeCheckBox(const char* name, const QString& text, bool& field);
    QLineEdit* MakeNumberBox(const char* name, std::string& field);
    // A "Quality: " row with the number box of `quality`, added to `column`.
    QLineEdit* AddQualityBox(QVBoxLayout& column, const char* name, QualitySetting& quality);
    // A slider that `box` follows: `change` handles a new slider position
    // and `keyPress` Enter in the box.
    QSlider* MakeQualitySlider(const char* name, QLineEdit* box, QualitySetting& quality,
                               void (TPrefs::*change)(int), void (TPrefs::*keyPress)());
    // `click` handles a picked entry; by default it only selects it.
    ChoiceGroupBox* MakeChoiceGroup(const char* name, const QString& title,
                                    const QStringList& entries, ChoiceGroup& group,
                                    void (TPrefs::*click)(ChoiceGroup&, int) = &TPrefs::ChoiceClick);

    // Event handlers.
    void FormShow();
    void FormHide();
    void btnCloseClick();
    void JPEG_QualityChange(int position);
    void PNG_QualityChange(int position);
    void ebJPEGQualityKeyPress();
    void ebPNGQualityKeyPress();
    void JPEG_ProgressiveClick(ChoiceGroup& group, int index);
    void PNG_OptimizeClick(bool checked);
    void gbResizeClick(ChoiceGroup& group, int index);
    void ChoiceClick(ChoiceGroup& group, int index);

    void QualityChange(QualitySetting& quality, int position);
    void QualityKeyPressEnter(QualitySetting& quality);
    void ShowModel();
    void Report(const std::exception& failure);

    UserPrompts& prompts_;
    FormatPrefsSet records_;
    OrvaneRegistry* settings_ = nullptr;
    PrefsModel model_;

    // Each control with the model value that it shows.
    std::vector<std::pair<ChoiceGroupBox*, const ChoiceGroup*>> choiceGroups_;
    std::vector<std::pair<QLineEdit*, const std::string*>> numberBoxes_;
    std::vector<std::pair<QSlider*, const QualitySetting*>> sliders_;
    std::vector<std::pair<QCheckBox*, const bool*>> checkBoxes_;

    QTabWidget* pages_ = nullptr;
    QGroupBox* gbResizeProportionally = nullptr;
    QGroupBox* gbResizeExactly = nullptr;
    QCheckBox* JPEG_Smoothing = nullptr;
    QCheckBox* PNG_Optimize = nullptr;
    QPushButton* btnClose = nullptr;
};

}  // namespace tessolo

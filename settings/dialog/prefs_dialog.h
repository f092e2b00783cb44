// The preferences dialog: layout, resizing, paddings, the options of each
// output format and the outputs for web pages. Modeless and created once,
// as a dialog of the main window, so it stays above it while shown. Showing
// copies the settings and the four per-format records into the controls,
// hiding (by "&Close", Escape or the close box) copies them back. Numbers
// are spin boxes with the ranges of the store, and every control has a
// mnemonic. The rules live in PrefsModel; this window forwards the user's
// input to it and shows what it holds.
#pragma once

#include "settings/format_prefs.h"
#include "settings/settings_store.h"
#include "settings/prefs_model.h"

#include <QDialog>

#include <utility>
#include <vector>

class QCheckBox;
class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QVBoxLayout;

namespace tessolo {

class ChoiceGroupBox;

class TPrefs : public QDialog {
    Q_OBJECT
public:
    // `owner`, the main window, keeps the dialog above it.
    explicit TPrefs(QWidget* owner = nullptr);

    // The four per-format records, with their first-run defaults until the
    // settings store loads them.
    FormatPrefsSet& Records() { return records_; }
    // The settings the dialog edits; start-up binds them before any showing.
    void BindSettings(OrvaneRegistry& settings) { settings_ = &settings; }
    // Options > Preferences: shows the dialog, or brings it to the front
    // when it is already visible. Throws Error when no settings are bound.
    void ShowPrefs();
    // Shows the dialog and saves an image of it with each page in front, as
    // prefs-general<suffix>.png, prefs-jpeg<suffix>.png, ... in `folder`;
    // returns the paths. Throws FileCreateError when an image cannot be
    // written.
    QStringList SavePageImages(const QString& folder, const QString& suffix = {});

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* MakeGeneralPage();
    // The general page's groups: the two ways of resizing, the padding.
    QGroupBox* MakeProportionalGroup();
    QGroupBox* MakeExactGroup();
    QGroupBox* MakePaddingGroup();
    QHBoxLayout* MakeSheetLimitRow();  // the largest sheet's size
    QWidget* MakeJpegPage();
    QWidget* MakePngPage();
    QWidget* MakeGifPage();
    QWidget* MakeBmpPage();
    QWidget* MakeModernFormatsPage();
    QWidget* MakeWebPage();
    // A check box that shows and sets `field`.
    QGroupBox* MakePlacesGroup();
    QCheckBox* MakeCheckBox(const char* name, const QString& text, bool& field);
    QLineEdit* MakeTextBox(const char* name, std::string& field);
    // A spin box with the range of `number` that shows and sets it.
    QSpinBox* MakeNumberBox(const char* name, NumberSetting& number);
    // A "&Quality: " row with the spin box of `quality`, added to `column`.
    QSpinBox* AddQualityBox(QVBoxLayout& column, const char* name, NumberSetting& quality);
    // A slider that shows `quality` as its box does; `change` handles a new
    // slider position.
    QSlider* MakeQualitySlider(const char* name, NumberSetting& quality,
                               void (TPrefs::*change)(int));
    ChoiceGroupBox* MakeChoiceGroup(const char* name, const QString& title,
                                    const QStringList& entries, ChoiceGroup& group,
                                    void (TPrefs::*click)(ChoiceGroup&, int) = &TPrefs::ChoiceClick);

    // Event handlers.
    void FormShow();
    void FormHide();
    void btnCloseClick();
    void JPEG_QualityChange(int position);
    void PNG_QualityChange(int position);
    void JPEG_ProgressiveClick(ChoiceGroup& group, int index);
    void PNG_OptimizeClick(bool checked);
    void gbResizeClick(ChoiceGroup& group, int index);
    void ChoiceClick(ChoiceGroup& group, int index);
    // A spin box took a number: by Enter, its arrows or leaving it.
    void NumberChange(NumberSetting& number, int value);

    void ShowModel();

    FormatPrefsSet records_;
    OrvaneRegistry* settings_ = nullptr;
    PrefsModel model_;

    // Each control with the model value that it shows.
    std::vector<std::pair<ChoiceGroupBox*, const ChoiceGroup*>> choiceGroups_;
    std::vector<std::pair<QSpinBox*, const NumberSetting*>> numberBoxes_;
    std::vector<std::pair<QSlider*, const NumberSetting*>> sliders_;
    std::vector<std::pair<QCheckBox*, const bool*>> checkBoxes_;
    std::vector<std::pair<QLineEdit*, const std::string*>> textBoxes_;

    QTabWidget* pages_ = nullptr;
    QGroupBox* gbResizeProportionally = nullptr;
    QGroupBox* gbResizeExactly = nullptr;
    QCheckBox* JPEG_Smoothing = nullptr;
    QCheckBox* PNG_Optimize = nullptr;
    QPushButton* btnClose = nullptr;
};

}  // namespace tessolo

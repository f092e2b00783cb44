// TSpriteView: the result viewer, a window beside the main window that shows
// the sheet of the last build, fitted to the window (Ctrl+0) or at 1:1, 2x
// and 4x (Ctrl+1, Ctrl++ and Ctrl+-, Ctrl+wheel) with scrolling. Pointing
// at an image tells its file, class and place; a click copies its CSS rule.
// A line under the sheet gives its size in pixels and in bytes, beside a
// button that opens its folder. Where the user leaves the window is kept in
// the settings, always within the screen's available area.
#pragma once

#include "app/sheet_canvas.h"

#include <QImage>
#include <QWidget>

#include <string>
#include <vector>

class QButtonGroup;
class QLabel;
class QPushButton;
class QScrollArea;

namespace tessolo {

class DesktopServices;
class OrvaneRegistry;

class TSpriteView : public QWidget {
    Q_OBJECT
public:
    // The first showing puts the window where `settings` say it was left,
    // or else beside `mainWindow`; its geometry then goes back into them.
    // The folder button opens folders through `desktop`.
    TSpriteView(OrvaneRegistry& settings, DesktopServices& desktop,
                const QWidget* mainWindow = nullptr);

    // Holds a copy of `sheet` with its `images`, drawn at `scale` sheet
    // pixels per pixel of their rules, and shows the window in front; a
    // hidden window also becomes the active one.
    void ShowSheet(const QImage& sheet, std::vector<SheetImage> images = {}, int scale = 1);
    // The sheet was written to `path`: its file size is shown and its folder
    // can be opened.
    void SetSheetFile(const std::string& path);
    const QImage& Sheet() const { return canvas_->Sheet(); }
    const std::vector<SheetImage>& Images() const { return canvas_->Images(); }
    // Where the sheet is drawn, in the window's coordinates.
    QRect SheetRect() const;

    // 0 fits the sheet into the window; 1, 2 and 4 are zoom factors.
    int Zoom() const { return canvas_->Zoom(); }
    void SetZoom(int zoom);

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateShortcuts();
    // The next zoom factor up (+1) or down (-1) that the sheet allows.
    void StepZoom(int direction, const QPoint& anchor);
    // Sets the zoom and keeps the sheet's point under `anchor` (viewport
    // coordinates) where it is.
    void ZoomAround(int zoom, const QPoint& anchor);
    void SizeCanvas();
    void Place();
    void StoreGeometry();
    void ShowPointed(const std::vector<std::size_t>& images);
    void CopyRules(const std::vector<std::size_t>& images);
    void ShowFacts();
    void OpenFolderClick();

    OrvaneRegistry& settings_;
    DesktopServices& desktop_;
    const QWidget* mainWindow_;
    QScrollArea* scroll_;
    SheetCanvas* canvas_;
    QLabel* pointed_;
    QLabel* facts_;
    QButtonGroup* zooms_;
    QPushButton* openFolder_;
    std::string sheetPath_;  // as the build wrote it
    int scale_ = 1;
    bool placed_ = false;
};

}  // namespace tessolo

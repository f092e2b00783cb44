// SheetCanvas: the result viewer's drawing of a sheet, fitted into the
// canvas or at a whole zoom factor, nearest neighbour, with the images under
// the pointer outlined. A sheet with alpha is drawn over a checkerboard whose
// two colours come from the palette, so it shows in light and dark palettes.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace tessolo {

// One image of the sheet as the viewer knows it.
struct SheetImage {
    QString fileName;  // the listed file's name, printable
    QString selector;  // the class selector, printable
    QString rule;      // its stylesheet line as written
    QRect cssBox;      // place and size as the rule gives them
    QRect sheetBox;    // where it lies on the sheet shown
};

inline constexpr int kCheckerSquare = 8;

// The light and the dark squares: the palette's base colour and one a fifth
// of the way from it to the text colour (white and 204 grey in a light palette).
std::pair<QColor, QColor> CheckerColors(const QPalette& palette);

class SheetCanvas : public QWidget {
public:
    explicit SheetCanvas(QWidget* parent = nullptr);

    void SetSheet(const QImage& sheet, std::vector<SheetImage> images);
    const QImage& Sheet() const { return sheet_; }
    const std::vector<SheetImage>& Images() const { return images_; }

    // 0 fits the sheet into the canvas; 1, 2 and 4 draw it that many times
    // its size.
    void SetZoom(int zoom);
    int Zoom() const { return zoom_; }
    // Whether the sheet at `zoom` stays within the largest size of a widget.
    bool CanZoom(int zoom) const;
    // The canvas's size in a viewport of `viewport`: the viewport, widened
    // to the zoomed sheet where that is larger.
    QSize SizeIn(const QSize& viewport) const;
    // Where the sheet is drawn, in the canvas.
    QRect SheetRect() const;
    // The images at canvas point `point`, by index: more than one where
    // identical images share a place.
    std::vector<std::size_t> ImagesAt(const QPoint& point) const;

    // Told the images under the pointer whenever they change.
    std::function<void(const std::vector<std::size_t>&)> hovered;
    // Told the images under a left click.
    std::function<void(const std::vector<std::size_t>&)> clicked;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    std::optional<QPoint> SheetPixelAt(const QPoint& point) const;
    // `box` of the sheet in canvas coordinates.
    QRect OnCanvas(const QRect& box) const;
    void Hover(std::vector<std::size_t> images);

    QImage sheet_;
    std::vector<SheetImage> images_;
    std::vector<std::size_t> hovered_;
    int zoom_ = 0;
};

}  // namespace tessolo

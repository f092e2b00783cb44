#include "sprite/rect_packer.h"

#include "sprite/sheet_value.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessolo {

namespace {

// Each item is packed enlarged by the paddings into a bin enlarged by the
// same amounts; trimming the bin afterwards leaves the paddings between
// neighbours only. Coordinates are kept in 64 bits until the end.
struct Box {
    std::int64_t width;
    std::int64_t height;
};

struct Spot {
    std::int64_t x;
    std::int64_t y;
};

// The widths tried for the bin: evenly spread multiples of the square root
// of the total area, from kNarrowest to kWidest, none narrower than the
// widest item. Small sets try many widths; large ones fewer, so that about
// kPlacementBudget boxes are placed in all.
constexpr double kNarrowest = 0.5;
constexpr double kWidest = 2.0;
constexpr int kMinWidthCount = 16;
constexpr int kMaxWidthCount = 301;
constexpr std::size_t kPlacementBudget = 2'000'000;

// A bottom-left skyline packer: the top edge of everything placed so far is
// kept as runs of equal height from left to right, and each box goes where
// it rests lowest, leftmost on ties.
class Skyline {
public:
    explicit Skyline(std::int64_t binWidth) : binWidth_(binWidth), runs_{{0, 0, binWidth}} {}

    Spot Place(Box box)
    {
        std::size_t best = 0;
        std::int64_t bestY = std::numeric_limits<std::int64_t>::max();
        for (std::size_t i = 0; i < runs_.size(); ++i) {
            if (runs_[i].x + box.width > binWidth_)
                break;
            std::int64_t y = RestingHeight(i, box.width, bestY);
            if (y < bestY) {
                bestY = y;
                best = i;
            }
        }
        // The first run always fits: the bin is at least as wide as any box.
        Spot spot{runs_[best].x, bestY};
        Raise(best, spot, box);
        return spot;
    }

private:
    struct Run {
        std::int64_t x;
        std::int64_t y;
        std::int64_t width;
    };

    // The height at which a box of `width` rests when its left edge is at
    // run `first`; stops early once it reaches `limit`.
    std::int64_t RestingHeight(std::size_t first, std::int64_t width, std::int64_t limit) const
    {
        std::int64_t y = 0;
        std::int64_t end = runs_[first].x + width;
        for (std::size_t j = first; j < runs_.size() && runs_[j].x < end; ++j) {
            y = std::max(y, runs_[j].y);
            if (y >= limit)
                break;
        }
        return y;
    }

    // Lifts the skyline under a box placed at `spot`, starting at run `first`.
    void Raise(std::size_t first, Spot spot, Box box)
    {
        std::int64_t end = spot.x + box.width;
        std::size_t last = first;
        while (last < runs_.size() && runs_[last].x + runs_[last].width <= end)
            ++last;
        // Runs [first, last) lie wholly under the box; run `last` may reach past it.
        if (last < runs_.size() && runs_[last].x < end) {
            runs_[last].width -= end - runs_[last].x;
            runs_[last].x = end;
        }
        runs_.erase(runs_.begin() + std::ptrdiff_t(first), runs_.begin() + std::ptrdiff_t(last));
        runs_.insert(runs_.begin() + std::ptrdiff_t(first), Run{spot.x, spot.y + box.height, box.width});
        MergeAround(first);
    }

    // Joins run `i` with neighbours of the same height.
    void MergeAround(std::size_t i)
    {
        if (i + 1 < runs_.size() && runs_[i + 1].y == runs_[i].y) {
            runs_[i].width += runs_[i + 1].width;
            runs_.erase(runs_.begin() + std::ptrdiff_t(i) + 1);
        }
        if (i > 0 && runs_[i - 1].y == runs_[i].y) {
            runs_[i - 1].width += runs_[i].width;
            runs_.erase(runs_.begin() + std::ptrdiff_t(i));
        }
    }

    std::int64_t binWidth_;
    std::vector<Run> runs_;
};

struct Trial {
    std::vector<Spot> spots;  // in packing order
    std::int64_t width = 0;   // of the sheet, without the outer paddings
    std::int64_t height = 0;
};

Trial PackInto(std::int64_t binWidth, const std::vector<Box>& boxes, Box padding)
{
    Skyline skyline(binWidth);
    Trial trial;
    trial.spots.reserve(boxes.size());
    for (Box box : boxes) {
        Spot spot = skyline.Place(box);
        trial.spots.push_back(spot);
        trial.width = std::max(trial.width, spot.x + box.width);
        trial.height = std::max(trial.height, spot.y + box.height);
    }
    trial.width -= padding.width;
    trial.height -= padding.height;
    return trial;
}

// Smaller area first, then the squarer sheet, then the narrower one.
bool Better(const Trial& a, const Trial& b)
{
    // The products stay far inside long double's exact range for 32-bit sides.
    long double areaA = (long double)a.width * a.height;
    long double areaB = (long double)b.width * b.height;
    if (areaA != areaB)
        return areaA < areaB;
    std::int64_t sideA = std::max(a.width, a.height), sideB = std::max(b.width, b.height);
    if (sideA != sideB)
        return sideA < sideB;
    return a.width < b.width;
}

// The bin widths to try: the widest box (a sheet no larger than a column),
// the sum of all widths (no larger than a row) and the spread in between.
std::vector<std::int64_t> CandidateWidths(const std::vector<Box>& boxes)
{
    std::int64_t widest = 0, total = 0;
    long double area = 0;
    for (Box box : boxes) {
        widest = std::max(widest, box.width);
        total += box.width;
        area += (long double)box.width * box.height;
    }
    std::vector<std::int64_t> widths{widest, total};
    const int count = int(std::clamp<std::size_t>(kPlacementBudget / boxes.size(), kMinWidthCount,
                                                  kMaxWidthCount));
    for (int step = 0; step < count; ++step) {
        long double factor = kNarrowest + (kWidest - kNarrowest) * step / (count - 1);
        long double wanted = std::ceil(std::sqrt(area) * factor);
        if (wanted > (long double)widest && wanted < (long double)total)
            widths.push_back(std::int64_t(wanted));
    }
    std::sort(widths.begin(), widths.end());
    widths.erase(std::unique(widths.begin(), widths.end()), widths.end());
    return widths;
}

}  // namespace

PackedSheet PackRectangles(const std::vector<PackItem>& items, std::int32_t horizontalPadding,
                           std::int32_t verticalPadding, const SheetLimit& limit)
{
    const std::int64_t hpad = std::max(horizontalPadding, 0);
    const std::int64_t vpad = std::max(verticalPadding, 0);

    // Items with area, tallest first, then widest, then by name; stable.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].Width > 0 && items[i].Height > 0)
            order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const PackItem& p = items[a];
        const PackItem& q = items[b];
        if (p.Height != q.Height)
            return p.Height > q.Height;
        if (p.Width != q.Width)
            return p.Width > q.Width;
        return p.Name < q.Name;
    });

    std::vector<Box> boxes;
    boxes.reserve(order.size());
    for (std::size_t i : order)
        boxes.push_back({items[i].Width + hpad, items[i].Height + vpad});

    PackedSheet sheet;
    sheet.Positions.resize(items.size());
    if (boxes.empty())
        return sheet;

    // Under a limit, a sheet within it beats any other, and the limit's
    // own width is tried too.
    std::vector<std::int64_t> widths = CandidateWidths(boxes);
    const std::int64_t widest =
        std::ranges::max(boxes, {}, [](Box box) { return box.width; }).width;
    if (limit.width > 0 && limit.width + hpad >= widest)
        widths.push_back(limit.width + hpad);
    auto within = [&](const Trial& trial) {
        return (limit.width <= 0 || trial.width <= limit.width) &&
               (limit.height <= 0 || trial.height <= limit.height);
    };
    Trial best;
    for (std::int64_t binWidth : widths) {
        Trial trial = PackInto(binWidth, boxes, {hpad, vpad});
        if (best.spots.empty() || (within(trial) != within(best) ? within(trial)
                                                                 : Better(trial, best)))
            best = std::move(trial);
    }

    for (std::size_t k = 0; k < order.size(); ++k)
        sheet.Positions[order[k]] = {SheetValue(best.spots[k].x), SheetValue(best.spots[k].y)};
    sheet.Width = SheetValue(best.width);
    sheet.Height = SheetValue(best.height);
    return sheet;
}

}  // namespace tessolo

// Two well-known rectangle packers, written here from their published
// descriptions, as yardsticks for the packed layout's sheet area. Both take
// boxes already enlarged by the paddings and return the top-left corner of
// each, in the boxes' order.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

namespace tessolo::bench {

struct RefBox {
    std::int64_t w;
    std::int64_t h;
};
struct RefSpot {
    std::int64_t x;
    std::int64_t y;
};

inline std::vector<std::size_t> ByLongestSide(const std::vector<RefBox>& boxes)
{
    std::vector<std::size_t> order(boxes.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        std::int64_t sa = std::max(boxes[a].w, boxes[a].h), sb = std::max(boxes[b].w, boxes[b].h);
        if (sa != sb)
            return sa > sb;
        return std::min(boxes[a].w, boxes[a].h) > std::min(boxes[b].w, boxes[b].h);
    });
    return order;
}

// The growing binary-tree packer: boxes sorted by longest side; each goes
// into the first free node (depth first, right before down) that holds it,
// which splits into the space to its right and the space below; when none
// holds it the root grows right or down, whichever keeps the sheet squarer.
class BinaryTreePacker {
public:
    std::vector<RefSpot> Pack(const std::vector<RefBox>& boxes)
    {
        std::vector<RefSpot> spots(boxes.size());
        nodes_.clear();
        std::vector<std::size_t> order = ByLongestSide(boxes);
        if (order.empty())
            return spots;
        root_ = NewNode(0, 0, boxes[order[0]].w, boxes[order[0]].h);
        for (std::size_t i : order) {
            RefBox b = boxes[i];
            int node = Find(root_, b);
            if (node < 0)
                node = Grow(b);
            Split(node, b);
            spots[i] = {nodes_[node].x, nodes_[node].y};
        }
        return spots;
    }

private:
    struct Node {
        std::int64_t x, y, w, h;
        bool used = false;
        int right = -1, down = -1;
    };

    int NewNode(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h)
    {
        nodes_.push_back({x, y, w, h});
        return int(nodes_.size()) - 1;
    }

    int Find(int start, RefBox b) const
    {
        std::vector<int> stack{start};
        while (!stack.empty()) {
            int n = stack.back();
            stack.pop_back();
            const Node& node = nodes_[n];
            if (node.used) {
                stack.push_back(node.down);  // right is searched first
                stack.push_back(node.right);
            } else if (b.w <= node.w && b.h <= node.h) {
                return n;
            }
        }
        return -1;
    }

    void Split(int n, RefBox b)
    {
        Node node = nodes_[n];
        int down = NewNode(node.x, node.y + b.h, node.w, node.h - b.h);
        int right = NewNode(node.x + b.w, node.y, node.w - b.w, b.h);
        nodes_[n].used = true;
        nodes_[n].down = down;
        nodes_[n].right = right;
    }

    int Grow(RefBox b)
    {
        const Node r = nodes_[root_];
        bool canDown = b.w <= r.w, canRight = b.h <= r.h;
        bool shouldRight = canRight && r.h >= r.w + b.w;
        bool shouldDown = canDown && r.w >= r.h + b.h;
        bool right = shouldRight || (!shouldDown && canRight);
        int oldRoot = root_;
        if (right) {
            int extra = NewNode(r.w, 0, b.w, r.h);
            root_ = NewNode(0, 0, r.w + b.w, r.h);
            nodes_[root_].used = true;
            nodes_[root_].down = oldRoot;
            nodes_[root_].right = extra;
        } else {
            int extra = NewNode(0, r.h, r.w, b.h);
            root_ = NewNode(0, 0, r.w, r.h + b.h);
            nodes_[root_].used = true;
            nodes_[root_].down = extra;
            nodes_[root_].right = oldRoot;
        }
        return Find(root_, b);
    }

    std::vector<Node> nodes_;
    int root_ = -1;
};

// MaxRects with best-short-side fit: the free space is kept as every maximal
// free rectangle; each box (longest side first) goes into the free rectangle
// that leaves the least on its shorter side, then every free rectangle it
// overlaps is split and rectangles inside others are dropped. The bin is a
// square grown in small steps until every box fits.
class MaxRectsPacker {
public:
    std::vector<RefSpot> Pack(const std::vector<RefBox>& boxes)
    {
        std::int64_t side = 0;
        long double area = 0;
        for (RefBox b : boxes) {
            side = std::max({side, b.w, b.h});
            area += (long double)b.w * b.h;
        }
        side = std::max(side, std::int64_t(std::ceil(std::sqrt(area))));
        std::vector<RefSpot> spots;
        while (!TryPack(boxes, side, spots))
            side += std::max<std::int64_t>(1, side / 50);
        return spots;
    }

private:
    struct Rect {
        std::int64_t x, y, w, h;
    };

    bool TryPack(const std::vector<RefBox>& boxes, std::int64_t side, std::vector<RefSpot>& spots)
    {
        free_ = {{0, 0, side, side}};
        spots.assign(boxes.size(), {0, 0});
        for (std::size_t i : ByLongestSide(boxes)) {
            RefBox b = boxes[i];
            int best = -1;
            std::int64_t bestShort = 0, bestLong = 0;
            for (std::size_t f = 0; f < free_.size(); ++f) {
                const Rect& r = free_[f];
                if (b.w > r.w || b.h > r.h)
                    continue;
                std::int64_t dw = r.w - b.w, dh = r.h - b.h;
                std::int64_t shortSide = std::min(dw, dh), longSide = std::max(dw, dh);
                if (best < 0 || shortSide < bestShort ||
                    (shortSide == bestShort && longSide < bestLong)) {
                    best = int(f);
                    bestShort = shortSide;
                    bestLong = longSide;
                }
            }
            if (best < 0)
                return false;
            Rect placed{free_[best].x, free_[best].y, b.w, b.h};
            spots[i] = {placed.x, placed.y};
            SplitFree(placed);
        }
        return true;
    }

    void SplitFree(const Rect& used)
    {
        std::vector<Rect> next;
        for (const Rect& r : free_) {
            if (used.x >= r.x + r.w || used.x + used.w <= r.x || used.y >= r.y + r.h ||
                used.y + used.h <= r.y) {
                next.push_back(r);
                continue;
            }
            if (used.x > r.x)
                next.push_back({r.x, r.y, used.x - r.x, r.h});
            if (used.x + used.w < r.x + r.w)
                next.push_back({used.x + used.w, r.y, r.x + r.w - used.x - used.w, r.h});
            if (used.y > r.y)
                next.push_back({r.x, r.y, r.w, used.y - r.y});
            if (used.y + used.h < r.y + r.h)
                next.push_back({r.x, used.y + used.h, r.w, r.y + r.h - used.y - used.h});
        }
        free_.clear();
        for (std::size_t i = 0; i < next.size(); ++i) {
            bool contained = false;
            for (std::size_t j = 0; j < next.size() && !contained; ++j) {
                if (i == j)
                    continue;
                const Rect &a = next[i], &b = next[j];
                bool inside = a.x >= b.x && a.y >= b.y && a.x + a.w <= b.x + b.w &&
                              a.y + a.h <= b.y + b.h;
                // Of two equal rectangles the later one is kept.
                bool equal = a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
                contained = inside && (!equal || i < j);
            }
            if (!contained)
                free_.push_back(next[i]);
        }
    }

    std::vector<Rect> free_;
};

}  // namespace tessolo::bench

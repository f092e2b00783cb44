// Octree colour quantisation: chooses at most `colors` representative
// colours for a bitmap by merging the least distinguishing tree nodes.
// The program does not use it: its sheets are reduced to the web palette.
#pragma once

#include "platform/bitmap.h"

#include <memory>
#include <vector>

namespace tessolo {

class TOctreeNode;

class TColorQuantizer {
public:
    explicit TColorQuantizer(int maxColors);
    ~TColorQuantizer();
    TColorQuantizer(const TColorQuantizer&) = delete;
    TColorQuantizer& operator=(const TColorQuantizer&) = delete;

    void AddColor(int r, int g, int b);
    // The leaves in tree order, each the mean of the pixels it holds.
    std::vector<ColorRef> Palette() const;

private:
    static constexpr int kLeafDepth = 8;
    TOctreeNode* NewNode(int depth);
    void Reduce();

    int maxColors_;
    int leafCount_ = 0;
    std::unique_ptr<TOctreeNode> root_;
    TOctreeNode* reducible_[kLeafDepth] = {};
};

// The quantised palette of a bitmap (read at 24 bits).
std::vector<ColorRef> QuantizeColors(const Bitmap& source, int colors);

}  // namespace tessolo

#include "codecs/gif/octree_quantizer.h"

#include <memory>

namespace tessolo {

class TOctreeNode {
public:
    bool leaf = false;
    long long pixels = 0;
    long long red = 0, green = 0, blue = 0;
    std::unique_ptr<TOctreeNode> children[8];
    TOctreeNode* nextReducible = nullptr;
};

TColorQuantizer::TColorQuantizer(int maxColors) : maxColors_(maxColors < 1 ? 1 : maxColors) {}

TColorQuantizer::~TColorQuantizer() = default;

TOctreeNode* TColorQuantizer::NewNode(int depth)
{
    auto* node = new TOctreeNode;
    if (depth == kLeafDepth) {
        node->leaf = true;
        ++leafCount_;
    } else {
        node->nextReducible = reducible_[depth];
        reducible_[depth] = node;
    }
    return node;
}

void TColorQuantizer::AddColor(int r, int g, int b)
{
    if (!root_)
        root_.reset(NewNode(0));
    TOctreeNode* node = root_.get();
    for (int depth = 0; !node->leaf; ++depth) {
        int shift = 7 - depth;
        int child = ((r >> shift) & 1) << 2 | ((g >> shift) & 1) << 1 | ((b >> shift) & 1);
        if (!node->children[child])
            node->children[child].reset(NewNode(depth + 1));
        node = node->children[child].get();
    }
    ++node->pixels;
    node->red += r;
    node->green += g;
    node->blue += b;
    while (leafCount_ > maxColors_)
        Reduce();
}

void TColorQuantizer::Reduce()
{
    int depth = kLeafDepth - 1;
    while (depth > 0 && !reducible_[depth])
        --depth;
    TOctreeNode* node = reducible_[depth];
    reducible_[depth] = node->nextReducible;
    int merged = 0;
    for (auto& child : node->children) {
        if (!child)
            continue;
        node->pixels += child->pixels;
        node->red += child->red;
        node->green += child->green;
        node->blue += child->blue;
        child.reset();
        ++merged;
    }
    node->leaf = true;
    leafCount_ += 1 - merged;
}

std::vector<ColorRef> TColorQuantizer::Palette() const
{
    std::vector<ColorRef> palette;
    auto visit = [&](auto& self, const TOctreeNode* node) -> void {
        if (!node)
            return;
        if (node->leaf) {
            if (node->pixels > 0)
                palette.push_back(MakeColor(std::uint8_t(node->red / node->pixels),
                                            std::uint8_t(node->green / node->pixels),
                                            std::uint8_t(node->blue / node->pixels)));
            return;
        }
        for (const auto& child : node->children)
            self(self, child.get());
    };
    visit(visit, root_.get());
    return palette;
}

std::vector<ColorRef> QuantizeColors(const Bitmap& source, int colors)
{
    Bitmap converted;
    const Bitmap* bitmap = &source;
    if (source.Format() != PixelFormat::Bits24) {
        converted = source.ConvertTo(PixelFormat::Bits24);
        bitmap = &converted;
    }
    TColorQuantizer quantizer(colors);
    for (int y = 0; y < bitmap->Height(); ++y) {
        const std::uint8_t* row = bitmap->ScanLine(y);
        for (int x = 0; x < bitmap->Width(); ++x)
            quantizer.AddColor(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    }
    return quantizer.Palette();
}

}  // namespace tessolo

#include "codecs/png/png_gamma.h"

#include <algorithm>
#include <cmath>

namespace tessolo {

GammaTable IdentityGamma()
{
    GammaTable t;
    for (int i = 0; i < 256; ++i)
        t[i] = std::uint8_t(i);
    return t;
}

void BuildGammaTables(std::uint32_t gamma, GammaTable& forward, GammaTable& inverse)
{
    inverse = IdentityGamma();
    double exponent = 1.0 / (double(gamma) / 100000.0 * 2.2);
    for (int i = 0; i < 256; ++i) {
        // nearbyint rounds half to even in the default rounding mode.
        double v = std::nearbyint(255.0 * std::pow(i / 255.0, exponent));
        auto value = std::uint8_t(std::clamp(v, 0.0, 255.0));
        forward[i] = value;
        inverse[value] = std::uint8_t(i);
    }
}

}  // namespace tessolo

// Gamma tables: file sample values to displayed values and back.
#pragma once

#include <array>
#include <cstdint>

namespace tessolo {

using GammaTable = std::array<std::uint8_t, 256>;

GammaTable IdentityGamma();

// Builds both tables for a gAMA value g (100000 = 1.0) shown on a display of
// gamma 2.2: v = round(255 * (i / 255) ^ (1 / (g / 100000 * 2.2))), rounding
// half to even. The inverse maps every reached v back to its i; values no i
// reaches keep their identity entry. g must not be 0.
void BuildGammaTables(std::uint32_t gamma, GammaTable& forward, GammaTable& inverse);

}  // namespace tessolo

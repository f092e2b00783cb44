// The layout, resizing, background, merging, density and web output options, which the settings store and a build
// share by name. Front ends copy them through this one table.
#pragma once

#include "settings/orvane_registry.h"
#include "sprite/build_settings.h"

#include <cstdint>
#include <utility>

namespace tessolo {

using StoreField = std::int32_t OrvaneRegistry::*;
using BuildField = std::int32_t BuildSettings::*;
inline constexpr std::pair<StoreField, BuildField> kSharedFields[] = {
    {&OrvaneRegistry::Orientation, &BuildSettings::Orientation},
    {&OrvaneRegistry::ResizeMethod, &BuildSettings::ResizeMethod},
    {&OrvaneRegistry::ResizePercentage, &BuildSettings::ResizePercentage},
    {&OrvaneRegistry::ResizeWidth, &BuildSettings::ResizeWidth},
    {&OrvaneRegistry::ResizeHeight, &BuildSettings::ResizeHeight},
    {&OrvaneRegistry::HorizontalPadding, &BuildSettings::HorizontalPadding},
    {&OrvaneRegistry::VerticalPadding, &BuildSettings::VerticalPadding},
    {&OrvaneRegistry::BaseRule, &BuildSettings::BaseRule},
    {&OrvaneRegistry::DataFormats, &BuildSettings::DataFormats},
    {&OrvaneRegistry::HtmlPreview, &BuildSettings::HtmlPreview},
    {&OrvaneRegistry::SheetBackground, &BuildSettings::SheetBackground},
    {&OrvaneRegistry::DedupeImages, &BuildSettings::DedupeImages},
    {&OrvaneRegistry::Retina, &BuildSettings::Retina},
};

// The options a build reads: the store's shared fields and the four records.
inline BuildSettings StoredBuildSettings(const OrvaneRegistry& store, const FormatPrefsSet& records)
{
    BuildSettings settings;
    static_cast<FormatPrefsSet&>(settings) = records;
    for (auto [stored, built] : kSharedFields)
        settings.*built = store.*stored;
    return settings;
}

}  // namespace tessolo

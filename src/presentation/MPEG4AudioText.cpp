#include "presentation/MPEG4AudioText.h"

#include <iterator>

#include "model/AudioBoxes.h"
#include "model/Format.h"

std::string SamplingFrequencyText(uint8_t index) {
    using ISOFileFormat::kAacSamplingFrequencies;
    if (index < std::size(kAacSamplingFrequencies))
        return StrFormat("0x%X (frequency : %u)", index, kAacSamplingFrequencies[index]);
    if (index == 15) return StrFormat("0x%X (frequency : escape value, not read)", index);
    return StrFormat("0x%X (frequency : reserved)", index);
}

namespace {

struct ChannelConfiguration {
    const char* count;
    const char* layout;
};

constexpr ChannelConfiguration kChannelConfigurations[8] = {
    {"-", "Set GASpecificConfig"},
    {"1", "Center of the front"},
    {"2", "Right and left of the front"},
    {"3", "Center, right and left of the front"},
    {"4", "Center, right and left of the front, and center of bacward"},
    {"5", "Center, right and left of the front, and right and left of bacward"},
    {"5+1",
     "Center, right and left of the front, and right and left of bacward, and front for bass"},
    {"7+1",
     "Center, right and left of the front, right and left of front outward, and right and left "
     "of bacward, and front for bass"},
};

}  // namespace

std::string ChannelConfigurationText(uint8_t value) {
    // The classic reading keeps three bits; anything wider is a configuration of later editions.
    if (value >= 8) return StrFormat("%d (? channel(s), reserved)", value);
    const ChannelConfiguration& c = kChannelConfigurations[value];
    return StrFormat("%d (%s channel(s), %s)", value, c.count, c.layout);
}

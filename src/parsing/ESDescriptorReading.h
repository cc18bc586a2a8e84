#pragma once

#include <cstdint>
#include <span>

namespace ISOFileFormat {
struct ESDescriptorFullBox;
}

// Reads the descriptors of an 'esds' payload (after its version and flags) into `box`. Returns
// false when a descriptor runs past the box: the caller then ends the parse as a read beyond the
// box would. Inside a descriptor, what its size leaves out is not read.
bool ReadESDescriptors(std::span<const uint8_t> payload, ISOFileFormat::ESDescriptorFullBox& box);

// Reads an AudioSpecificConfig into the audio fields of `box`. Returns false when a field runs
// past its bytes (the fields read until then are kept).
bool ReadAudioSpecificConfig(std::span<const uint8_t> config,
                             ISOFileFormat::ESDescriptorFullBox& box);

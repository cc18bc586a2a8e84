#pragma once

#include <cstdint>
#include <string>

// Texts of the MPEG-4 audio tables, shown by the classic reading of 'esds' and by the one
// beyond it.

// MPEG-4 audio (ISO/IEC 14496-3): "0x%X (frequency : %d)" for samplingFrequencyIndex. Indexes
// 13 and 14 are reserved, and 15 is the escape that announces an explicit 24-bit frequency,
// which the fixed-form reading of the AudioSpecificConfig does not decode: for those no number
// would be true, so they say why.
std::string SamplingFrequencyText(uint8_t index);
// "%d (%s channel(s), %s)" for channelConfiguration.
std::string ChannelConfigurationText(uint8_t value);

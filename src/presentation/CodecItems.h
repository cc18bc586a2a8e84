#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CItemTextWriter;
class CISOViewBoxItemLayer;

// Items that the codec configurations of several families show alike.

// One item whose value is "0x" and every byte as two upper-case hexadecimal digits ("0x" alone
// for no bytes). Parameter sets and hint data can be long, so the digits go straight into the
// layer.
void AddHexDump(CItemTextWriter& item, const std::vector<uint8_t>& bytes);
void AddHexDumpItem(CISOViewBoxItemLayer& items, std::string_view label,
                    const std::vector<uint8_t>& bytes);

// MPEG-4 audio (ISO/IEC 14496-3): "0x%X (frequency : %d)" for samplingFrequencyIndex. Indexes
// 13 and 14 are reserved, and 15 is the escape that announces an explicit 24-bit frequency,
// which the fixed-form reading of the AudioSpecificConfig does not decode: for those no number
// would be true, so they say why.
std::string SamplingFrequencyText(uint8_t index);
// "%d (%s channel(s), %s)" for channelConfiguration.
std::string ChannelConfigurationText(uint8_t value);

#pragma once

#include <cstdint>
#include <memory>

#include "model/SampleEntries.h"

class CFileReader;

// The fields every audio and every visual sample entry begins with (ISO/IEC 14496-12:2022,
// 12.2.3 and 12.1.3), read from the reader's position just after the box header. The classic
// reading and the families beyond it read them the same way; a caller whose entry type has
// child boxes after these fields adds the byte count to the header and descends.
constexpr uint32_t kAudioEntryBytes = 28;
constexpr uint32_t kVisualEntryBytes = 78;

std::unique_ptr<ISOFileFormat::AudioSampleEntry> ReadAudioSampleEntry(CFileReader& r,
                                                                      uint64_t size);
std::unique_ptr<ISOFileFormat::VisualSampleEntry> ReadVisualSampleEntry(CFileReader& r,
                                                                        uint64_t size);

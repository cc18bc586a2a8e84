#pragma once

#include "model/BoxCatalogueRow.h"

// The audio family beyond the classic set: today's audio sample entries and their decoder
// configurations.
inline constexpr BoxCatalogueRow kAudioBoxRows[] = {
    // Encapsulation of Opus in ISO Base Media File Format, 4.3.1 and 4.3.2
    {"Opus", "OpusSampleEntry", "Opus audio sample description", BoxKind::SampleEntry,
     BoxFacts::Codec},
    {"dOps", "OpusSpecificBox", "Opus decoder configuration", BoxKind::CodecConfiguration,
     BoxFacts::Codec},
    // Encapsulation of FLAC in ISO Base Media File Format, 3.3.1 and 3.3.2
    {"fLaC", "FLACSampleEntry", "FLAC audio sample description", BoxKind::SampleEntry,
     BoxFacts::Codec},
    {"dfLa", "FLACSpecificBox", "FLAC metadata blocks", BoxKind::CodecConfiguration,
     BoxFacts::Codec},
    // ETSI TS 102 366, Annex F.3 to F.6
    {"ac-3", "AC3SampleEntry", "AC-3 audio sample description", BoxKind::SampleEntry,
     BoxFacts::Codec},
    {"dac3", "AC3SpecificBox", "AC-3 decoder configuration", BoxKind::CodecConfiguration,
     BoxFacts::Codec},
    {"ec-3", "EC3SampleEntry", "Enhanced AC-3 audio sample description", BoxKind::SampleEntry,
     BoxFacts::Codec},
    {"dec3", "EC3SpecificBox", "Enhanced AC-3 decoder configuration", BoxKind::CodecConfiguration,
     BoxFacts::Codec},
    // Apple Lossless: the entry and its configuration share the type; the configuration is the
    // one inside the entry, shown under its own bytes.
    {"alac", "ALACSampleEntry", "Apple Lossless audio sample description", BoxKind::SampleEntry,
     BoxFacts::Codec},
    {"", "ALACSpecificConfig", "Apple Lossless decoder configuration", BoxKind::CodecConfiguration,
     BoxFacts::Codec},
    // ISO/IEC 23003-5:2020, 5.1 and 5.2
    {"ipcm", "PCMSampleEntry", "integer PCM audio sample description", BoxKind::SampleEntry,
     BoxFacts::Codec},
    {"fpcm", "PCMSampleEntry", "floating-point PCM audio sample description", BoxKind::SampleEntry,
     BoxFacts::Codec},
    {"pcmC", "PCMConfigurationBox", "PCM sample format", BoxKind::CodecConfiguration,
     BoxFacts::Codec},
    // ISO/IEC 23008-3:2022, 20.5 and 20.6
    {"mha1", "MHASampleEntry", "MPEG-H 3D Audio sample description", BoxKind::SampleEntry,
     BoxFacts::Codec},
    {"mhm1", "MHASampleEntry", "MPEG-H 3D Audio stream sample description", BoxKind::SampleEntry,
     BoxFacts::Codec},
    {"mhaC", "MHAConfigurationBox", "MPEG-H 3D Audio decoder configuration",
     BoxKind::CodecConfiguration, BoxFacts::Codec},
    // ISO/IEC 14496-12:2022, 12.2.4
    {"chnl", "ChannelLayout", "channel layout of the audio", BoxKind::FullBox, BoxFacts::None},
    // ISO/IEC 14496-12:2022, 8.12: an encrypted entry, read as the entry of its original format
    {"enca", "ProtectedAudioSampleEntry", "encrypted audio sample description",
     BoxKind::SampleEntry, BoxFacts::Codec},
};

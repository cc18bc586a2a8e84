#include "document/TrackInfoCollector.h"

#include <algorithm>
#include <numeric>

#include "document/AudioFamilyFacts.h"
#include "document/VideoFamilyFacts.h"
#include "model/3GPPBoxes.h"
#include "model/BoxCatalogue.h"
#include "model/ISOBoxes.h"
#include "model/SampleEntries.h"
#include "model/StreamingBoxes.h"
#include "model/TextConversion.h"
#include "parsing/ParserInterfaces.h"

using namespace ISOFileFormat;

namespace {

// objectTypeIndication values of ISO/IEC 14496-1 that carry codec facts here.
constexpr uint8_t kObjectTypeVisual = 0x20;
constexpr uint8_t kObjectTypeAudio = 0x40;

// Chunk k (from 1) holds the samples_per_chunk of the last 'stsc' entry, in table order, whose
// first_chunk is at most k. Sorted tables (all real ones) take one forward walk; for any other
// order the entries are visited by first_chunk while keeping the latest table position seen,
// so a hostile table costs E log E + K instead of E x K.
void AssignSampleCounts(const std::vector<SampleToChunkBox::Entry>& entries,
                        std::vector<ChunkInfo>& chunks) {
    const auto byFirstChunk = [](const SampleToChunkBox::Entry& a,
                                 const SampleToChunkBox::Entry& b) {
        return a.first_chunk < b.first_chunk;
    };
    if (std::is_sorted(entries.begin(), entries.end(), byFirstChunk)) {
        size_t next = 0;
        uint32_t samplesPerChunk = 0;
        for (size_t k = 0; k < chunks.size(); ++k) {
            const uint64_t chunkNumber = uint64_t{k} + 1;
            while (next < entries.size() && entries[next].first_chunk <= chunkNumber)
                samplesPerChunk = entries[next++].samples_per_chunk;
            chunks[k].sampleCount = samplesPerChunk;
        }
        return;
    }
    std::vector<uint32_t> order(entries.size());
    std::iota(order.begin(), order.end(), uint32_t{0});
    std::stable_sort(order.begin(), order.end(), [&entries](uint32_t a, uint32_t b) {
        return entries[a].first_chunk < entries[b].first_chunk;
    });
    size_t next = 0;
    bool found = false;
    uint32_t latest = 0;
    for (size_t k = 0; k < chunks.size(); ++k) {
        const uint64_t chunkNumber = uint64_t{k} + 1;
        while (next < order.size() && entries[order[next]].first_chunk <= chunkNumber) {
            latest = found ? std::max(latest, order[next]) : order[next];
            found = true;
            ++next;
        }
        chunks[k].sampleCount = found ? entries[latest].samples_per_chunk : 0;
    }
}

template <typename CodecInfo>
void NoteBitRate(CodecInfo& info, const MPEG4BitRateBox& btrt) {
    info.decoderBufferSize = btrt.bufferSizeDB;
    info.maxBitrate = btrt.maxBitrate;
    info.averageBitrate = btrt.avgBitrate;
    info.mask |=
        CodecInfoBit::DecoderBufferSize | CodecInfoBit::MaxBitrate | CodecInfoBit::AverageBitrate;
}

std::string VendorText(const uint8_t vendor[4]) {
    return Latin1CStringToUtf8(vendor, 4);
}

// ISO/IEC 14496-12 8.8.3.1: sample_is_non_sync_sample, bit 16 of the flags as stored (the
// 'tfhd' defaults and the first sample flags of 'trun'); bit 8 of a flags word (SampleFlagsWord:
// 'trex' and the samples of 'trun').
constexpr uint32_t kNonSyncStored = 0x00010000;
constexpr uint32_t kNonSyncWord = 0x00000100;

}  // namespace

CTrackInfoCollector::CTrackInfoCollector() = default;

CTrackInfoCollector::~CTrackInfoCollector() = default;

void CTrackInfoCollector::LimitToFileSize(uint64_t fileSize) {
    m_fileSize = fileSize;
    m_maxListedSamples = std::max(std::min(m_maxListedSamples, fileSize), m_listedSamples);
}

int64_t CTrackInfoCollector::GetTotalTrackCount() const {
    return int64_t{m_textTrackCount} + m_hintTrackCount + m_videoTrackCount + m_soundTrackCount +
           m_otherTrackCount;
}

std::string_view CTrackInfoCollector::GetTrackTypeName(const Box* trak) const {
    const auto found = m_trackKinds.find(trak);
    return GetTrackKindName(found == m_trackKinds.end() ? -1 : found->second);
}

void CTrackInfoCollector::Note(const Box& record) {
    if (m_boxSet == BoxSet::Full) NoteFragmentBox(record);
    if (BoxFeeds(record.id, BoxFacts::Track)) {
        NoteBox(record.id, &record);
    } else if (BoxFeeds(record.id, BoxFacts::Codec)) {
        NoteCodecBox(&record);
    }
}

void CTrackInfoCollector::NoteBox(int32_t id, const Box* record) {
    if (!record) return;
    if (id == BoxId::Trak) {
        FinishTrack();
        m_trackKinds.insert_or_assign(record, HandlerKindOther);
        m_currentTrack = record;
    } else if (id == HandlerRererenceBox::kId) {
        const auto* handler = dynamic_cast<const HandlerRererenceBox*>(record);
        if (!handler) return;
        const int32_t kind = handler->handlerKind;
        if (m_currentTrack) m_trackKinds.insert_or_assign(m_currentTrack, kind);
        m_currentHandlerKind = kind;
        // Every 'hdlr' counts, also one of a 'meta' box.
        switch (kind) {
            case HandlerKindVideo:
                ++m_videoTrackCount;
                break;
            case HandlerKindSound:
                ++m_soundTrackCount;
                break;
            case HandlerKindHint:
                ++m_hintTrackCount;
                break;
            case HandlerKindText:
                ++m_textTrackCount;
                break;
            default:
                ++m_otherTrackCount;
                break;
        }
    } else if (id == SampleToChunkBox::kId) {
        if (const auto* box = dynamic_cast<const SampleToChunkBox*>(record)) m_sampleToChunk = box;
    } else if (id == SampleSizeBox::kId) {
        if (const auto* box = dynamic_cast<const SampleSizeBox*>(record)) m_sampleSize = box;
    } else if (id == ChunkOffsetBox::kId) {
        if (const auto* box = dynamic_cast<const ChunkOffsetBox*>(record)) m_chunkOffset = box;
    } else if (id == ChunkLargeOffsetBox::kId && m_boxSet == BoxSet::Full) {
        if (const auto* box = dynamic_cast<const ChunkLargeOffsetBox*>(record))
            m_chunkLargeOffset = box;
    } else if (id == SyncSampleBox::kId) {
        if (const auto* box = dynamic_cast<const SyncSampleBox*>(record)) m_syncSample = box;
    }
}

void CTrackInfoCollector::NoteCodecBox(const Box* record) {
    if (!record) return;
    if (NoteAudioFamilyFacts(*record, m_audio)) return;
    if (NoteVideoFamilyFacts(*record, m_video)) return;
    switch (record->id) {
        case BoxId::Mp4v:
        case BoxId::S263:
        case BoxId::Avc1:
            m_video.name = record->id == BoxId::Mp4v   ? "MPEG-4"
                           : record->id == BoxId::S263 ? "H.263"
                                                       : "H.264";
            if (const auto* entry = dynamic_cast<const VisualSampleEntry*>(record)) {
                m_video.width = entry->width;
                m_video.height = entry->height;
            }
            break;
        case BoxId::Mp4a:
        case BoxId::Samr:
            m_audio.name = record->id == BoxId::Mp4a ? "AAC" : "AMR";
            if (const auto* entry = dynamic_cast<const AudioSampleEntry*>(record)) {
                m_audio.channelCount = entry->channelcount;
                m_audio.sampleSize = entry->samplesize;
                m_audio.sampleRate = entry->samplerate >> 16;
                m_audio.mask |= CodecInfoBit::ChannelCount | CodecInfoBit::SampleSize |
                                CodecInfoBit::SampleRate;
            }
            break;
        case BoxId::Sawb:
            m_audio.name = "AMR WideBand";
            break;
        case BoxId::Sawp:
            m_audio.name = "AMR WideBand+";
            break;
        case ESDescriptorBox::kId:
            if (const auto* esds = dynamic_cast<const ESDescriptorBox*>(record)) {
                if (esds->objectTypeIndication == kObjectTypeVisual) {
                    m_video.decoderBufferSize = esds->bufferSizeDB;
                    m_video.maxBitrate = esds->maxBitrate;
                    m_video.averageBitrate = esds->avgBitrate;
                    m_video.profile = esds->profile_and_level_indication >> 4;
                    m_video.level = esds->profile_and_level_indication & 15;
                    m_video.mask |= CodecInfoBit::DecoderBufferSize | CodecInfoBit::MaxBitrate |
                                    CodecInfoBit::AverageBitrate | CodecInfoBit::Profile |
                                    CodecInfoBit::Level;
                } else if (esds->objectTypeIndication == kObjectTypeAudio) {
                    m_audio.decoderBufferSize = esds->bufferSizeDB;
                    m_audio.maxBitrate = esds->maxBitrate;
                    m_audio.averageBitrate = esds->avgBitrate;
                    m_audio.mask |= CodecInfoBit::DecoderBufferSize | CodecInfoBit::MaxBitrate |
                                    CodecInfoBit::AverageBitrate;
                }
            }
            break;
        case AMRSpecificBox::kId:
            if (const auto* damr = dynamic_cast<const AMRSpecificBox*>(record)) {
                m_audio.vendor = VendorText(damr->vendor);
                m_audio.decoderVersion = damr->decoder_version;
                m_audio.framesPerSample = damr->frames_per_sample;
                m_audio.mask |= CodecInfoBit::Vendor | CodecInfoBit::DecoderVersion |
                                CodecInfoBit::FramesPerSample;
            }
            break;
        case H263SpecificBox::kId:
            if (const auto* d263 = dynamic_cast<const H263SpecificBox*>(record)) {
                m_video.vendor = VendorText(d263->vendor);
                m_video.decoderVersion = d263->decoder_version;
                m_video.level = d263->H263_Level;
                m_video.profile = d263->H263_Profile;
                m_video.mask |= CodecInfoBit::Vendor | CodecInfoBit::DecoderVersion |
                                CodecInfoBit::Level | CodecInfoBit::Profile;
            }
            break;
        case BitrateBox::kId:
            if (const auto* bitr = dynamic_cast<const BitrateBox*>(record)) {
                m_video.maxBitrate = bitr->maxBitrate;
                m_video.averageBitrate = bitr->avgBitrate;
                m_video.mask |= CodecInfoBit::MaxBitrate | CodecInfoBit::AverageBitrate;
            }
            break;
        case AVCConfigurationBox::kId:
            if (const auto* avcC = dynamic_cast<const AVCConfigurationBox*>(record)) {
                m_video.profile = avcC->AVCProfileIndication;
                m_video.level = avcC->AVCLevelIndication;
                m_video.mask |= CodecInfoBit::Profile | CodecInfoBit::Level;
            }
            break;
        case MPEG4BitRateBox::kId:
            if (const auto* btrt = dynamic_cast<const MPEG4BitRateBox*>(record)) {
                // The classic reading gives every 'btrt' to the video; the full set gives each
                // to its own track's kind, and none to a track that is neither.
                if (m_boxSet == BoxSet::Classic || m_currentHandlerKind == HandlerKindVideo) {
                    NoteBitRate(m_video, *btrt);
                } else if (m_currentHandlerKind == HandlerKindSound) {
                    NoteBitRate(m_audio, *btrt);
                }
            }
            break;
        case BoxId::Dawp:
        default:
            break;
    }
}

void CTrackInfoCollector::ClearTableReferences() {
    m_sampleToChunk = nullptr;
    m_sampleSize = nullptr;
    m_chunkOffset = nullptr;
    m_chunkLargeOffset = nullptr;
    m_syncSample = nullptr;
}

void CTrackInfoCollector::FinishTrack() {
    if (!m_sampleToChunk || (!m_chunkOffset && !m_chunkLargeOffset)) {
        ClearTableReferences();
        return;
    }
    TrackChunkTable& table = m_tables.emplace_back();
    table.handlerKind = m_currentHandlerKind;
    auto takeOffsets = [&table](const auto& offsets) {
        table.chunks.resize(offsets.size());
        for (size_t k = 0; k < offsets.size(); ++k)
            table.chunks[k].offset = offsets[k];
        if (!offsets.empty()) table.firstChunkOffset = offsets.front();
    };
    // A track has one of the two; should a file give both, the 32-bit table counts, as it
    // always has.
    if (m_chunkOffset)
        takeOffsets(m_chunkOffset->chunk_offset);
    else
        takeOffsets(m_chunkLargeOffset->chunk_offset);
    AssignSampleCounts(m_sampleToChunk->entries, table.chunks);

    if (m_sampleSize) {
        BuildSamples(table);
        uint64_t* biggest = table.handlerKind == HandlerKindVideo   ? &m_biggestVideoChunk
                            : table.handlerKind == HandlerKindSound ? &m_biggestSoundChunk
                            : table.handlerKind == HandlerKindText  ? &m_biggestTextChunk
                                                                    : nullptr;
        if (biggest) *biggest = std::max(*biggest, table.biggestChunkSize);
    }
    ClearTableReferences();
}

// Walks the samples chunk by chunk in track order. A sample exists only as far as 'stsz'
// declares it and holds its size: samples that 'stsc' gives a chunk beyond that are left out
// of the chunk's size and get no record. With one size for every sample nothing is read per
// sample except for the records kept under the sample limit.
void CTrackInfoCollector::BuildSamples(TrackChunkTable& table) {
    const SampleSizeBox& sizes = *m_sampleSize;
    const bool constantSize = sizes.sample_size != 0;
    uint64_t remaining = constantSize
                             ? uint64_t{sizes.sample_count}
                             : std::min<uint64_t>(sizes.sample_count, sizes.entry_size.size());

    uint64_t sizedTotal = 0;
    for (ChunkInfo& chunk : table.chunks) {
        chunk.sizedSampleCount =
            static_cast<uint32_t>(std::min<uint64_t>(chunk.sampleCount, remaining));
        remaining -= chunk.sizedSampleCount;
        sizedTotal += chunk.sizedSampleCount;
    }
    table.samples.reserve(
        static_cast<size_t>(std::min<uint64_t>(sizedTotal, m_maxListedSamples - m_listedSamples)));

    static const std::vector<uint32_t> kNoSyncTable;
    const bool everySampleIsSync = m_syncSample == nullptr;
    const std::vector<uint32_t>& syncNumbers =
        everySampleIsSync ? kNoSyncTable : m_syncSample->sample_number;
    size_t syncIndex = 0;
    uint64_t sampleIndex = 0;  // over the whole track, from 0
    const size_t tableIndex = m_tables.size() - 1;

    for (size_t chunkIndex = 0; chunkIndex < table.chunks.size(); ++chunkIndex) {
        ChunkInfo& chunk = table.chunks[chunkIndex];
        const uint32_t count = chunk.sizedSampleCount;
        const uint32_t listed =
            static_cast<uint32_t>(std::min<uint64_t>(count, m_maxListedSamples - m_listedSamples));
        chunk.firstSample = static_cast<uint32_t>(table.samples.size());
        chunk.listedSampleCount = listed;

        uint64_t position = chunk.offset;
        for (uint32_t i = 0; i < listed; ++i) {
            const uint32_t size =
                constantSize ? sizes.sample_size : sizes.entry_size[sampleIndex + i];
            // Only the next 'stss' entry is compared: a table out of increasing order marks
            // nothing after the first number smaller than the one before it.
            bool sync = everySampleIsSync;
            if (!sync && syncIndex < syncNumbers.size() &&
                syncNumbers[syncIndex] == sampleIndex + i + 1) {
                sync = true;
                ++syncIndex;
            }
            table.samples.push_back(SampleInfo{position, size, sync});
            position += size;
        }

        if (constantSize) {
            chunk.size = uint64_t{count} * sizes.sample_size;
            chunk.biggestSampleSize = count ? sizes.sample_size : 0;
        } else {
            uint64_t total = 0;
            uint32_t biggest = 0;
            for (uint32_t i = 0; i < count; ++i) {
                const uint32_t size = sizes.entry_size[sampleIndex + i];
                total += size;
                biggest = std::max(biggest, size);
            }
            chunk.size = total;
            chunk.biggestSampleSize = biggest;
        }

        if (listed < count) {
            if (m_unlistedSamples == 0) {
                m_unlistedTable = tableIndex;
                m_unlistedChunk = chunkIndex;
            }
            m_unlistedSamples += count - listed;
        }
        m_listedSamples += listed;
        sampleIndex += count;
        table.biggestChunkSize = std::max(table.biggestChunkSize, chunk.size);
    }
}

void CTrackInfoCollector::StartFromInitSegment(const CTrackInfoCollector& init) {
    m_trackDefaults = init.m_trackDefaults;
    m_video = init.m_video;
    m_audio = init.m_audio;
    m_videoTrackCount = init.m_videoTrackCount;
    m_soundTrackCount = init.m_soundTrackCount;
    m_textTrackCount = init.m_textTrackCount;
    m_hintTrackCount = init.m_hintTrackCount;
    m_otherTrackCount = init.m_otherTrackCount;
}

// Movie fragments, ISO/IEC 14496-12 8.8: 'trex' (8.8.3) gives each track's defaults, each 'moof'
// (8.8.4) holds track fragments whose 'tfhd' (8.8.7) may override them and whose 'trun' boxes
// (8.8.8) list the samples; 'tfdt' (8.8.12) gives a fragment's decode time. The track_ID of
// 'tkhd' ties them to the kind of 'hdlr' and the timescale of 'mdhd'.
void CTrackInfoCollector::NoteFragmentBox(const Box& record) {
    switch (record.id) {
        case BoxId::Tkhd:
            if (const auto* tkhd = dynamic_cast<const TrackHeaderBox*>(&record)) {
                m_currentTrackID = tkhd->track_ID;
                m_trackDefaults[tkhd->track_ID].hasHandler = false;
            }
            break;
        case BoxId::Mdhd:
            if (const auto* mdhd = dynamic_cast<const MediaHeaderBox*>(&record)) {
                if (!m_currentTrack) break;
                TrackDefaults& track = m_trackDefaults[m_currentTrackID];
                track.timescale = mdhd->timescale;
                track.movieDuration = mdhd->duration;
            }
            break;
        case HandlerRererenceBox::kId:
            if (const auto* handler = dynamic_cast<const HandlerRererenceBox*>(&record)) {
                // The first 'hdlr' of a track is its media's; one of a 'meta' inside comes later.
                if (!m_currentTrack) break;
                TrackDefaults& track = m_trackDefaults[m_currentTrackID];
                if (!track.hasHandler) track.handlerKind = handler->handlerKind;
                track.hasHandler = true;
            }
            break;
        case BoxId::Trex:
            if (const auto* trex = dynamic_cast<const TrackExtendsBox*>(&record)) {
                TrackDefaults& track = m_trackDefaults[trex->track_ID];
                track.sampleDescriptionIndex = trex->default_sample_description_index;
                track.duration = trex->default_sample_duration;
                track.size = trex->default_sample_size;
                // Kept as stored, as 'tfhd' gives its defaults.
                track.flags = (trex->default_sample_flags & kNonSyncWord) ? kNonSyncStored : 0;
                track.fromTrex = true;
            }
            break;
        case BoxId::Moof:
            m_moofs.push_back(&record);
            m_moofFirstTable.push_back(m_fragmentTables.size());
            m_currentFragmentTable = SIZE_MAX;
            m_currentTfhd = nullptr;
            m_trafEnd = 0;
            m_trafEndRestsOnMoof = true;
            break;
        case BoxId::Traf:
            if (m_moofs.empty()) break;
            m_currentFragmentTable = m_fragmentTables.size();
            m_currentTfhd = nullptr;
            m_fragmentTables.emplace_back().fragment.fragment = m_moofs.size() - 1;
            // Until 'tfhd' says otherwise, what a first track fragment without a base would use.
            m_runEnd = m_currentFragmentTable == m_moofFirstTable.back() ? 0 : m_trafEnd;
            m_fragmentTables.back().fragment.restsOnMoof =
                m_currentFragmentTable == m_moofFirstTable.back() || m_trafEndRestsOnMoof;
            break;
        case BoxId::Tfhd:
            if (const auto* tfhd = dynamic_cast<const TrackFragmentHeaderBox*>(&record)) {
                if (m_currentFragmentTable == SIZE_MAX) break;
                TrackChunkTable& table = m_fragmentTables[m_currentFragmentTable];
                TrackFragmentFacts& facts = table.fragment;
                facts.track_ID = tfhd->track_ID;
                facts.tfhdFlags = tfhd->FlagsValue();
                const bool firstOfMoof = m_currentFragmentTable == m_moofFirstTable.back();
                // Offsets that rest on the 'moof' start count from it until PlaceFragment.
                if (tfhd->Has(TrackFragmentHeaderBox::kBaseDataOffsetPresent)) {
                    facts.baseDataOffset = tfhd->base_data_offset;
                    facts.restsOnMoof = false;
                } else if ((facts.tfhdFlags &
                            ISOFileFormat::TrackFragmentHeaderBox::kDefaultBaseIsMoof) ||
                           firstOfMoof) {
                    facts.baseDataOffset = 0;
                    facts.restsOnMoof = true;
                } else {
                    facts.baseDataOffset = m_trafEnd;
                    facts.restsOnMoof = m_trafEndRestsOnMoof;
                }
                m_trafEndRestsOnMoof = facts.restsOnMoof;
                m_currentTfhd = tfhd;
                m_runEnd = facts.baseDataOffset;
                TrackDefaults& track = m_trackDefaults[tfhd->track_ID];
                table.handlerKind = track.handlerKind;
                facts.decodeTime = track.nextDecodeTime;
                ++track.fragmentCount;
            }
            break;
        case BoxId::Tfdt:
            if (const auto* tfdt =
                    dynamic_cast<const TrackFragmentBaseMediaDecodeTimeBox*>(&record)) {
                if (m_currentFragmentTable == SIZE_MAX) break;
                TrackFragmentFacts& facts = m_fragmentTables[m_currentFragmentTable].fragment;
                facts.decodeTime = tfdt->baseMediaDecodeTime;
                facts.hasDecodeTime = true;
                m_trackDefaults[facts.track_ID].nextDecodeTime = facts.decodeTime + facts.duration;
            }
            break;
        case BoxId::Trun:
            AddTrackRun(record);
            break;
        default:
            break;
    }
}

// A run's data starts at the fragment's base plus its data_offset, or right after the previous
// run without one (8.8.8.3). Each sample takes its duration, size and flags from the run, else
// from 'tfhd', else from 'trex'. Samples with no field of their own are listed up to the sample
// limit only: their count alone costs no bytes of the box. The run's size and the fragment's
// duration still count every one of them.
void CTrackInfoCollector::AddTrackRun(const Box& record) {
    const auto* trun = dynamic_cast<const TrackRunBox*>(&record);
    if (!trun || m_currentFragmentTable == SIZE_MAX) return;
    using R = TrackRunBox;
    using H = TrackFragmentHeaderBox;
    TrackChunkTable& table = m_fragmentTables[m_currentFragmentTable];
    TrackFragmentFacts& facts = table.fragment;
    TrackDefaults& track = m_trackDefaults[facts.track_ID];
    const H* tfhd = m_currentTfhd;
    const auto fromHeader = [tfhd](uint32_t present, uint32_t H::*field, uint32_t fallback) {
        return tfhd && tfhd->Has(present) ? tfhd->*field : fallback;
    };
    const uint32_t defaultDuration =
        fromHeader(H::kDefaultSampleDurationPresent, &H::default_sample_duration, track.duration);
    const uint32_t defaultSize =
        fromHeader(H::kDefaultSampleSizePresent, &H::default_sample_size, track.size);
    const bool defaultNonSync =
        (fromHeader(H::kDefaultSampleFlagsPresent, &H::default_sample_flags, track.flags) &
         kNonSyncStored) != 0;

    const bool hasEntries = !trun->entries.empty();
    // Sample indices of a table are 32-bit, as those of the chunk tables.
    const uint64_t budget =
        std::min<uint64_t>(m_maxListedSamples - m_listedSamples, UINT32_MAX - table.samples.size());
    // Entries exist only as far as the box holds them; a run without per-sample fields has
    // only its count, walked here as far as the sample limit.
    const uint64_t count = hasEntries ? trun->entries.size() : trun->sample_count;
    const uint64_t listed = std::min<uint64_t>(count, budget);
    const uint64_t walked = hasEntries ? count : listed;

    ChunkInfo& run = table.chunks.emplace_back();
    run.offset = trun->Has(R::kDataOffsetPresent)
                     ? facts.baseDataOffset + static_cast<uint64_t>(int64_t{trun->data_offset})
                     : m_runEnd;
    run.sampleCount = trun->sample_count;
    run.sizedSampleCount = static_cast<uint32_t>(count);
    run.listedSampleCount = static_cast<uint32_t>(listed);
    run.firstSample = static_cast<uint32_t>(table.samples.size());
    if (table.chunks.size() == 1) table.firstChunkOffset = run.offset;

    const bool sizes = trun->Has(R::kSampleSizePresent);
    run.sizesUnknown =
        !sizes && !(tfhd && tfhd->Has(H::kDefaultSampleSizePresent)) && !track.fromTrex;
    const bool durations = trun->Has(R::kSampleDurationPresent);
    const bool flags = trun->Has(R::kSampleFlagsPresent);
    const bool firstFlags = trun->Has(R::kFirstSampleFlagsPresent);
    uint64_t position = run.offset;
    const uint64_t runStart = facts.decodeTime + facts.duration;
    uint64_t decodeTime = runStart;
    table.samples.reserve(table.samples.size() + listed);
    table.decodeTimes.reserve(table.decodeTimes.size() + listed);
    for (uint64_t i = 0; i < walked; ++i) {
        const R::Entry* entry = hasEntries ? &trun->entries[i] : nullptr;
        const uint32_t size = sizes ? entry->sample_size : defaultSize;
        const uint32_t duration = durations ? entry->sample_duration : defaultDuration;
        bool nonSync = defaultNonSync;
        if (i == 0 && firstFlags)
            nonSync = (trun->first_sample_flags & kNonSyncStored) != 0;
        else if (flags)
            nonSync = (entry->sample_flags & kNonSyncWord) != 0;
        if (i < listed) {
            table.samples.push_back(SampleInfo{position, size, !nonSync});
            table.decodeTimes.push_back(decodeTime);
        }
        position += size;
        decodeTime += duration;
        run.size += size;
        run.biggestSampleSize = std::max(run.biggestSampleSize, size);
    }
    // The samples past the limit are alike: each takes the defaults. Below 2^64 as products of
    // two 32-bit numbers.
    if (const uint64_t rest = count - walked; rest != 0) {
        position += rest * defaultSize;
        decodeTime += rest * defaultDuration;
        run.size += rest * defaultSize;
        run.biggestSampleSize = std::max(run.biggestSampleSize, defaultSize);
    }
    m_listedSamples += listed;
    facts.duration += decodeTime - runStart;
    track.fragmentDuration += decodeTime - runStart;
    track.nextDecodeTime = decodeTime;
    m_runEnd = position;
    m_trafEnd = position;
    table.biggestChunkSize = std::max(table.biggestChunkSize, run.size);
}

void CTrackInfoCollector::PlaceFragment(const Box* moof, uint64_t offset) {
    // 'moof' nodes come in the order their records were noted: the next one is almost always it.
    const auto found = std::find(m_moofs.begin() + static_cast<std::ptrdiff_t>(m_placeCursor),
                                 m_moofs.end(), moof);
    if (found == m_moofs.end()) return;
    const size_t k = static_cast<size_t>(found - m_moofs.begin());
    m_placeCursor = k + 1;
    const size_t first = m_moofFirstTable[k];
    const size_t end = k + 1 < m_moofs.size() ? m_moofFirstTable[k + 1] : m_fragmentTables.size();
    for (size_t t = first; t < end; ++t) {
        TrackChunkTable& table = m_fragmentTables[t];
        table.fragment.moofOffset = offset;
        if (!table.fragment.restsOnMoof) continue;
        // Wrapping sums: an offset that a hostile data_offset put before the file start stays
        // as far outside it, and is flagged, never read.
        table.fragment.baseDataOffset += offset;
        table.fragment.restsOnMoof = false;
        table.firstChunkOffset += offset;
        for (ChunkInfo& run : table.chunks)
            run.offset += offset;
        for (SampleInfo& sample : table.samples)
            sample.offset += offset;
    }
    if (m_placedEnd < first) m_placedFrom = first;
    m_placedEnd = std::max(m_placedEnd, end);
}

std::pair<size_t, size_t> CTrackInfoCollector::TakePlacedFragments() {
    const std::pair<size_t, size_t> range{m_placedFrom, m_placedEnd};
    m_placedFrom = m_placedEnd;
    return range;
}

std::vector<CTrackInfoCollector::FragmentedTrack> CTrackInfoCollector::GetFragmentedTracks() const {
    std::vector<FragmentedTrack> tracks;
    for (const auto& [id, track] : m_trackDefaults) {
        if (track.fragmentCount == 0) continue;
        tracks.push_back(FragmentedTrack{id, track.timescale, track.movieDuration,
                                         track.fragmentCount, track.fragmentDuration});
    }
    std::sort(tracks.begin(), tracks.end(), [](const FragmentedTrack& a, const FragmentedTrack& b) {
        return a.track_ID < b.track_ID;
    });
    return tracks;
}

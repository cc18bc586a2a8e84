#include "document/TrackInfoCollector.h"

#include <algorithm>
#include <numeric>

#include "document/AudioFamilyFacts.h"
#include "document/VideoFamilyFacts.h"
#include "model/3GPPBoxes.h"
#include "model/BoxCatalogue.h"
#include "model/ISOBoxes.h"
#include "model/SampleEntries.h"
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

}  // namespace

CTrackInfoCollector::CTrackInfoCollector() = default;

CTrackInfoCollector::~CTrackInfoCollector() = default;

void CTrackInfoCollector::LimitToFileSize(uint64_t fileSize) {
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

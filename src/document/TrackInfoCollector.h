#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/BoxCatalogue.h"
#include "parsing/ParserInterfaces.h"

namespace ISOFileFormat {
struct Box;
struct SampleToChunkBox;
struct SampleSizeBox;
struct ChunkOffsetBox;
struct ChunkLargeOffsetBox;
struct TrackFragmentHeaderBox;
struct SyncSampleBox;
}  // namespace ISOFileFormat

// Presence bits of VideoCodecInfo::mask and AudioCodecInfo::mask. Name, width and height of
// the video carry no bit: they are known whenever there is a video track.
namespace CodecInfoBit {
constexpr uint32_t Vendor = 0x0002;
constexpr uint32_t DecoderVersion = 0x0004;
constexpr uint32_t Profile = 0x0010;  // video only
constexpr uint32_t Level = 0x0020;    // video only
constexpr uint32_t MaxBitrate = 0x0040;
constexpr uint32_t AverageBitrate = 0x0080;
constexpr uint32_t DecoderBufferSize = 0x0100;
constexpr uint32_t SampleRate = 0x1000;        // audio only
constexpr uint32_t SampleSize = 0x4000;        // audio only
constexpr uint32_t ChannelCount = 0x8000;      // audio only
constexpr uint32_t FramesPerSample = 0x10000;  // audio only
}  // namespace CodecInfoBit

// Codec facts of the video stream. With several video tracks these are the values of the boxes
// seen last, and the mask is the union of every track's bits.
struct VideoCodecInfo {
    uint32_t mask = 0;
    std::string name;    // "MPEG-4", "H.263", "H.264"; empty when no sample entry was seen
    std::string vendor;  // at most 4 characters, UTF-8
    uint8_t decoderVersion = 0;
    uint8_t profile = 0;
    uint8_t level = 0;
    uint32_t maxBitrate = 0;
    uint32_t averageBitrate = 0;
    uint32_t decoderBufferSize = 0;
    uint16_t width = 0;
    uint16_t height = 0;
};

// Codec facts of the audio stream; same rules as VideoCodecInfo.
struct AudioCodecInfo {
    uint32_t mask = 0;
    std::string name;    // "AAC", "AMR", "AMR WideBand", "AMR WideBand+"
    std::string vendor;  // at most 4 characters, UTF-8
    uint8_t decoderVersion = 0;
    uint32_t maxBitrate = 0;
    uint32_t averageBitrate = 0;
    uint32_t decoderBufferSize = 0;
    uint32_t sampleRate = 0;  // whole hertz
    uint16_t sampleSize = 0;
    uint16_t channelCount = 0;
    uint16_t framesPerSample = 0;
};

// One sample of a chunk: its byte range in the file and whether it is a random access point.
struct SampleInfo {
    uint64_t offset = 0;
    uint32_t size = 0;
    bool randomAccessPoint = false;
};

// What a track fragment ('traf') adds to its table, ISO/IEC 14496-12 8.8.7 and 8.8.12.
struct TrackFragmentFacts {
    uint32_t track_ID = 0;
    uint32_t tfhdFlags = 0;
    uint64_t baseDataOffset = 0;  // the one its runs' data offsets add to, as resolved
    uint64_t moofOffset = 0;
    // 'tfdt', or the decode time where the track's previous fragment ended.
    uint64_t decodeTime = 0;
    uint64_t duration = 0;  // the sum of its samples' durations
    size_t fragment = 0;    // its 'moof', counted from 0 in file order
    bool hasDecodeTime = false;
    // Its offsets still count from the 'moof' start: it has no base data offset of its own.
    bool restsOnMoof = false;
};

// One chunk of a track. Its samples are a range of the track table's sample list.
struct ChunkInfo {
    uint64_t offset = 0;  // from 'stco'
    // Sum of the sizes of its samples that 'stsz' describes; 0 without 'stsz'. A chunk of
    // 2^32 - 1 samples of 2^32 - 1 bytes each needs the 64 bits.
    uint64_t size = 0;
    uint32_t sampleCount = 0;        // as 'stsc' declares it
    uint32_t sizedSampleCount = 0;   // of those, the samples 'stsz' gives a size
    uint32_t listedSampleCount = 0;  // of those, the samples with a SampleInfo (sample limit)
    // Index of its first SampleInfo in the table's samples: the samples listed before it.
    uint32_t firstSample = 0;
    uint32_t biggestSampleSize = 0;
    // A run of a media segment read without its init segment may take its sample sizes from
    // a 'trex' that was never read: then its sizes (0) and offsets mean nothing.
    bool sizesUnknown = false;
};

// The chunks of one track, built from its 'stsc', 'stco', 'stsz' and 'stss'.
struct TrackChunkTable {
    std::vector<ChunkInfo> chunks;    // one per 'stco' entry read, in table order
    std::vector<SampleInfo> samples;  // the listed samples of every chunk, chunk after chunk
    uint64_t firstChunkOffset = 0;    // the first 'stco' entry; 0 when the table has no chunk
    int32_t handlerKind = 0;          // HandlerKind of the track
    uint64_t biggestChunkSize = 0;
    // Tables of track fragments only: the chunks are its runs ('trun'), and each listed sample
    // has its decode time here.
    TrackFragmentFacts fragment;
    std::vector<uint64_t> decodeTimes;

    // The listed samples of `chunk`, one of this table's chunks.
    std::span<const SampleInfo> SamplesOf(const ChunkInfo& chunk) const {
        return std::span<const SampleInfo>(samples).subspan(chunk.firstSample,
                                                            chunk.listedSampleCount);
    }
};

// Gathers, while a file is parsed, what the quick information, the media data view and the
// conformance tests need to know about the tracks: the track counts by handler kind, the
// codec facts of the video and audio streams, and per track a table of its chunks and samples
// with the biggest chunk of each kind.
//
// The document owns one per parse: it makes a fresh one when a parse begins and drops it after
// a successful parse.
//   - OnBoxParsed: Note, for every record; the catalogue says which facts a box feeds.
//   - OnBoxEntry: GetTrackTypeName for the long name of a 'trak' node.
//   - OnBoxList: FinishTrack once (the last track), then only reads.
// The collector keeps pointers to the noted records until FinishTrack has used them, so the
// records must outlive that call (they do: the driver deletes them when Parse returns). The
// 'trak' records that key the track kinds are only compared, never followed.
//
// Tables are bounded by what the records actually hold, never by the counts they declare: no
// sample is walked past what 'stsz' declares and holds, and a chunk's size is computed, not
// summed, when 'stsz' gives one size for all. SampleInfo records are kept for no more samples
// than the file has bytes (in track order); chunks stay exact beyond that.
// 'co64' and 'stz2' are not noted: a track whose offsets come in 'co64' gets no table, one
// whose sizes come in 'stz2' gets chunks without samples.
class CTrackInfoCollector {
public:
    CTrackInfoCollector();
    ~CTrackInfoCollector();
    CTrackInfoCollector(const CTrackInfoCollector&) = delete;
    CTrackInfoCollector& operator=(const CTrackInfoCollector&) = delete;

    // Bounds the sample records by the file: no more than the file has bytes, since every
    // sample of a real file takes at least one byte of it (or four of 'stsz'). A few bytes of
    // 'stsz' can otherwise declare billions of samples, and their records and view lines would
    // take gigabytes. The document calls it when the parse begins, with the open file's size.
    // Without it every sample that 'stsz' holds is listed.
    void LimitToFileSize(uint64_t fileSize);

    // The box set of the parse: facts beyond the classic reading are kept only for the full set.
    void SetBoxSet(BoxSet set) { m_boxSet = set; }
    BoxSet GetBoxSet() const { return m_boxSet; }

    // Starts a media segment's collector with what its init segment's collector gathered: the
    // tracks' kinds and counts, codec facts, timescales and 'trex' defaults. Called before the
    // segment's first box; the init's chunk tables and fragments are not taken.
    void StartFromInitSegment(const CTrackInfoCollector& init);

    // Passes a record to NoteBox or NoteCodecBox by the facts its catalogue row feeds; a record
    // that feeds none is ignored.
    void Note(const ISOFileFormat::Box& record);
    // Builds the chunk table of the current track from the tables noted since the last 'trak'
    // (none without 'stsc' or 'stco') and forgets those tables.
    void FinishTrack();

    // GetTrackKindName of the kind noted for this 'trak' record; "Unknown" when none was.
    std::string_view GetTrackTypeName(const ISOFileFormat::Box* trak) const;

    int32_t GetVideoTrackCount() const { return m_videoTrackCount; }
    int32_t GetSoundTrackCount() const { return m_soundTrackCount; }
    int32_t GetTextTrackCount() const { return m_textTrackCount; }
    int32_t GetHintTrackCount() const { return m_hintTrackCount; }
    int32_t GetOtherTrackCount() const { return m_otherTrackCount; }
    // The sum of the five counts.
    int64_t GetTotalTrackCount() const;

    // Largest chunk over the tracks of each kind, in bytes; 0 when there is none.
    uint64_t GetBiggestVideoChunk() const { return m_biggestVideoChunk; }
    uint64_t GetBiggestSoundChunk() const { return m_biggestSoundChunk; }
    uint64_t GetBiggestTextChunk() const { return m_biggestTextChunk; }

    const VideoCodecInfo& GetVideoInfo() const { return m_video; }
    const AudioCodecInfo& GetAudioInfo() const { return m_audio; }

    // One table per finished track that had 'stsc' and 'stco', in track order.
    const std::vector<TrackChunkTable>& GetChunkTables() const { return m_tables; }

    // Samples that 'stsz' describes but that got no SampleInfo because of the file size bound,
    // over the whole file, and where the first of them lies: the chunk `unlistedChunkIndex` of
    // the table `unlistedTableIndex`. The indices mean nothing while the count is 0.
    uint64_t GetUnlistedSampleCount() const { return m_unlistedSamples; }
    size_t GetUnlistedTableIndex() const { return m_unlistedTable; }
    size_t GetUnlistedChunkIndex() const { return m_unlistedChunk; }
    uint64_t GetMaxListedSamples() const { return m_maxListedSamples; }
    uint64_t GetFileSize() const { return m_fileSize; }

    // Track fragments, full set only: one table per 'traf' in file order, its runs as chunks.
    // Their offsets count from the start of the file once the document has placed their
    // 'moof' with PlaceFragment; before, those that rest on the 'moof' start count from it.
    const std::vector<TrackChunkTable>& GetFragmentTables() const { return m_fragmentTables; }
    size_t GetFragmentCount() const { return m_moofs.size(); }
    // Per track_ID in order of first appearance: its fragment count and their summed durations.
    struct FragmentedTrack {
        uint32_t track_ID = 0;
        uint32_t timescale = 0;      // from its 'mdhd'; 0 when unknown
        uint64_t movieDuration = 0;  // its 'mdhd' duration
        uint64_t fragmentCount = 0;
        uint64_t duration = 0;
    };
    std::vector<FragmentedTrack> GetFragmentedTracks() const;
    // The 'moof' record `moof` starts at `offset`: its track fragments get file offsets.
    void PlaceFragment(const ISOFileFormat::Box* moof, uint64_t offset);
    // The track fragment tables placed since the last call: those of the 'moof' boxes before
    // the 'mdat' the caller is about to list. Returns [first, end).
    std::pair<size_t, size_t> TakePlacedFragments();

private:
    // Track structure boxes, by catalogue id; other ids are ignored.
    void NoteBox(int32_t id, const ISOFileFormat::Box* record);
    // Sample entries and codec configuration boxes; others are ignored.
    void NoteCodecBox(const ISOFileFormat::Box* record);
    void NoteFragmentBox(const ISOFileFormat::Box& record);
    void AddTrackRun(const ISOFileFormat::Box& record);
    void ClearTableReferences();
    void BuildSamples(TrackChunkTable& table);

    const ISOFileFormat::SampleToChunkBox* m_sampleToChunk = nullptr;
    const ISOFileFormat::SampleSizeBox* m_sampleSize = nullptr;
    const ISOFileFormat::ChunkOffsetBox* m_chunkOffset = nullptr;
    // 'co64' of a file beyond 4 GiB: read with the full box set only (the classic reading lists
    // no chunk of such a track).
    const ISOFileFormat::ChunkLargeOffsetBox* m_chunkLargeOffset = nullptr;
    const ISOFileFormat::SyncSampleBox* m_syncSample = nullptr;
    const ISOFileFormat::Box* m_currentTrack = nullptr;
    std::unordered_map<const ISOFileFormat::Box*, int32_t> m_trackKinds;
    std::vector<TrackChunkTable> m_tables;
    VideoCodecInfo m_video;
    AudioCodecInfo m_audio;
    uint64_t m_biggestVideoChunk = 0;
    uint64_t m_biggestSoundChunk = 0;
    uint64_t m_biggestTextChunk = 0;
    uint64_t m_unlistedSamples = 0;
    size_t m_unlistedTable = 0;
    size_t m_unlistedChunk = 0;
    uint64_t m_listedSamples = 0;
    uint64_t m_maxListedSamples = UINT64_MAX;
    int32_t m_currentHandlerKind = 0;
    uint64_t m_fileSize = UINT64_MAX;
    // Fragments: the 'moof' records in order, the first table of each; per track_ID its
    // 'trex' defaults, kind, timescale and where its decode time has got to.
    struct TrackDefaults {
        uint32_t sampleDescriptionIndex = 0;
        uint32_t duration = 0;
        uint32_t size = 0;
        uint32_t flags = 0;  // big-endian as in the file
        bool fromTrex = false;
        int32_t handlerKind = 0;
        bool hasHandler = false;
        uint32_t timescale = 0;
        uint64_t movieDuration = 0;
        uint64_t nextDecodeTime = 0;
        uint64_t fragmentCount = 0;
        uint64_t fragmentDuration = 0;
    };
    std::unordered_map<uint32_t, TrackDefaults> m_trackDefaults;
    std::vector<const ISOFileFormat::Box*> m_moofs;
    std::vector<size_t> m_moofFirstTable;
    std::vector<TrackChunkTable> m_fragmentTables;
    uint32_t m_currentTrackID = 0;
    // The table of the 'traf' being read; SIZE_MAX outside one.
    size_t m_currentFragmentTable = SIZE_MAX;
    // Where the data of the previous run ends, the base of a run without a data offset.
    uint64_t m_runEnd = 0;
    // Where the data of the previous track fragment of the same 'moof' ends.
    uint64_t m_trafEnd = 0;
    bool m_trafEndRestsOnMoof = true;
    const ISOFileFormat::TrackFragmentHeaderBox* m_currentTfhd = nullptr;
    size_t m_placeCursor = 0;
    size_t m_placedFrom = 0;
    size_t m_placedEnd = 0;
    BoxSet m_boxSet = BoxSet::Full;
    int32_t m_textTrackCount = 0;
    int32_t m_hintTrackCount = 0;
    int32_t m_videoTrackCount = 0;
    int32_t m_soundTrackCount = 0;
    int32_t m_otherTrackCount = 0;
};

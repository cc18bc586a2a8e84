// The checks over a completed parse. Each reads the boxes in file order (with their depths) and
// the collector's chunk tables, once; none reads the file.
#include <algorithm>
#include <map>
#include <queue>
#include <unordered_map>
#include <unordered_set>

#include "document/Integrity.h"
#include "document/IntegrityText.h"
#include "document/TrackInfoCollector.h"
#include "model/BoxCatalogue.h"
#include "model/Format.h"
#include "model/ISOBoxes.h"
#include "model/StreamingBoxes.h"
#include "model/VideoBoxes.h"

Finding TruncatedBoxFinding(uint64_t offset, const std::array<uint8_t, 4>& type, uint64_t size,
                            uint64_t fileSize, std::string_view lost) {
    std::string sentence = QuotedType(type) + " at " + HexOffset(offset) + " declares " +
                           GroupedNumber(size) + " bytes; the file ends " +
                           GroupedNumber(fileSize - offset) + " bytes into it";
    if (!lost.empty()) sentence += ": " + std::string(lost);
    return Finding{"truncated-box", FindingSeverity::Error, offset, type, sentence};
}

Finding ChildExceedsParentFinding(uint64_t offset, const std::array<uint8_t, 4>& type,
                                  uint64_t size, uint64_t parentOffset,
                                  const std::array<uint8_t, 4>& parentType, uint64_t room) {
    return Finding{"child-exceeds-parent", FindingSeverity::Error, offset, type,
                   QuotedType(type) + " at " + HexOffset(offset) + " declares " +
                       GroupedNumber(size) + " bytes; its parent " + QuotedType(parentType) +
                       " at " + HexOffset(parentOffset) + " holds only " + GroupedNumber(room) +
                       " more"};
}

Finding TrailingBytesFinding(uint64_t offset, uint64_t fileSize) {
    return Finding{"trailing-bytes",
                   FindingSeverity::Warning,
                   offset,
                   {},
                   "the last " + GroupedNumber(fileSize - offset) + " bytes of the file, from " +
                       HexOffset(offset) + ", are not a box"};
}

namespace {
using ISOFileFormat::Box;

std::array<uint8_t, 4> TypeOf(const Box& record) {
    return {record.type[0], record.type[1], record.type[2], record.type[3]};
}

// Where a box ends; a size of 0 (to the end of the file) was replaced by the driver.
uint64_t EndOf(const IntegrityBox& box) {
    return box.offset + std::min(box.record->size, UINT64_MAX - box.offset);
}

// The boxes of one 'trak' the structure and table checks read: the first of each kind in the
// container the standard puts it in.
struct TrackBoxes {
    const IntegrityBox* trak = nullptr;
    const IntegrityBox* tkhd = nullptr;
    const IntegrityBox* mdia = nullptr;
    const IntegrityBox* mdhd = nullptr;
    const IntegrityBox* hdlr = nullptr;
    const IntegrityBox* minf = nullptr;
    const IntegrityBox* stbl = nullptr;
    const IntegrityBox* stsd = nullptr;
    const IntegrityBox* stts = nullptr;
    const IntegrityBox* stsc = nullptr;
    const IntegrityBox* stsz = nullptr;  // or 'stz2'
    const IntegrityBox* stco = nullptr;  // or 'co64'
    const IntegrityBox* ctts = nullptr;
    const IntegrityBox* stss = nullptr;
    const IntegrityBox* stps = nullptr;
    const IntegrityBox* sdtp = nullptr;
    const IntegrityBox* elst = nullptr;
    const IntegrityBox* dref = nullptr;
};

void Place(TrackBoxes& t, const IntegrityBox& box, int32_t parentId) {
    const int32_t id = box.id;
    const auto keep = [&](const IntegrityBox*& slot, int32_t parent) {
        if (parentId == parent && slot == nullptr) slot = &box;
    };
    switch (id) {
        case BoxId::Tkhd:
            keep(t.tkhd, BoxId::Trak);
            break;
        case BoxId::Mdia:
            keep(t.mdia, BoxId::Trak);
            break;
        case BoxId::Mdhd:
            keep(t.mdhd, BoxId::Mdia);
            break;
        case BoxId::Hdlr:
            keep(t.hdlr, BoxId::Mdia);
            break;
        case BoxId::Minf:
            keep(t.minf, BoxId::Mdia);
            break;
        case BoxId::Stbl:
            keep(t.stbl, BoxId::Minf);
            break;
        case BoxId::Stsd:
            keep(t.stsd, BoxId::Stbl);
            break;
        case BoxId::Stts:
            keep(t.stts, BoxId::Stbl);
            break;
        case BoxId::Stsc:
            keep(t.stsc, BoxId::Stbl);
            break;
        case BoxId::Stsz:
        case BoxId::Stz2:
            keep(t.stsz, BoxId::Stbl);
            break;
        case BoxId::Stco:
        case BoxId::Co64:
            keep(t.stco, BoxId::Stbl);
            break;
        case BoxId::Ctts:
            keep(t.ctts, BoxId::Stbl);
            break;
        case BoxId::Stss:
            keep(t.stss, BoxId::Stbl);
            break;
        case BoxId::Stps:
            keep(t.stps, BoxId::Stbl);
            break;
        case BoxId::Sdtp:
            keep(t.sdtp, BoxId::Stbl);
            break;
        case BoxId::Elst:
            keep(t.elst, BoxId::Edts);
            break;
        case BoxId::Dref:
            keep(t.dref, BoxId::Dinf);
            break;
        default:
            break;
    }
}

// The tracks in file order, with the catalogue id of each box's parent tracked by depth.
std::vector<TrackBoxes> CollectTracks(std::span<const IntegrityBox> boxes) {
    std::vector<TrackBoxes> tracks;
    std::vector<int32_t> path;
    int32_t trakDepth = -1;
    for (const IntegrityBox& box : boxes) {
        if (box.depth < 0) continue;
        const size_t depth = static_cast<size_t>(box.depth);
        if (path.size() > depth) path.resize(depth);
        while (path.size() < depth)
            path.push_back(-1);
        const int32_t parentId = depth == 0 ? -1 : path.back();
        if (box.depth <= trakDepth) trakDepth = -1;
        if (box.id == BoxId::Trak && parentId == BoxId::Moov) {
            tracks.push_back(TrackBoxes{});
            tracks.back().trak = &box;
            trakDepth = box.depth;
        } else if (trakDepth >= 0) {
            Place(tracks.back(), box, parentId);
        }
        path.push_back(box.id);
    }
    return tracks;
}

template <typename T>
const T* As(const IntegrityBox* box) {
    return box ? dynamic_cast<const T*>(box->record) : nullptr;
}

std::string TrackName(size_t index) {
    return "track " + std::to_string(index + 1);
}

Finding At(std::string_view id, FindingSeverity severity, const IntegrityBox& box,
           std::string sentence) {
    return Finding{id, severity, box.offset, TypeOf(*box.record), std::move(sentence)};
}

// --- The checks -------------------------------------------------------------------------------

// ISO/IEC 14496-12, 4.2: a file is a series of boxes, each opening with its size and type.
void CheckSignature(const IntegrityInput& in, std::vector<Finding>& findings) {
    CheckSignatureOf(in.head, in.fileSize, findings);
}

// Samples of the collector's tables that lie beyond the end of the file, per track.
std::string LostSamples(const CTrackInfoCollector* collector, uint64_t fileSize) {
    if (collector == nullptr) return {};
    std::string text;
    const auto& tables = collector->GetChunkTables();
    for (size_t t = 0; t < tables.size(); ++t) {
        uint64_t lost = 0;
        for (const ChunkInfo& chunk : tables[t].chunks) {
            if (chunk.listedSampleCount == chunk.sizedSampleCount) {
                for (const SampleInfo& sample : tables[t].SamplesOf(chunk))
                    lost += sample.offset + sample.size > fileSize ? 1 : 0;
            } else if (chunk.offset + chunk.size > fileSize) {
                lost += chunk.sizedSampleCount;
            }
        }
        if (lost == 0) continue;
        text += text.empty() ? "" : ", ";
        text += GroupedNumber(lost) + (lost == 1 ? " sample of " : " samples of ") + TrackName(t) +
                " (" + GetTrackKindName(tables[t].handlerKind) + ")";
    }
    return text.empty() ? text : text + " lie beyond the end";
}

// ISO/IEC 14496-12, 4.2: a box's size counts the whole box; 4.1: all data is in boxes.
void CheckFileExtent(const IntegrityInput& in, std::vector<Finding>& findings) {
    const IntegrityBox* last = nullptr;
    for (const IntegrityBox& box : in.boxes) {
        if (box.depth != 0) continue;
        last = &box;
        const auto type = TypeOf(*box.record);
        const bool notABox = box.id < 0 && box.offset != 0 && !PrintableType(type);
        if (notABox) {
            findings.push_back(TrailingBytesFinding(box.offset, in.fileSize));
            return;
        }
        if (EndOf(box) > in.fileSize) {
            const std::string lost =
                box.id == BoxId::Mdat ? LostSamples(in.collector, in.fileSize) : "";
            findings.push_back(
                TruncatedBoxFinding(box.offset, type, box.record->size, in.fileSize, lost));
        }
    }
    if (last && EndOf(*last) < in.fileSize)
        findings.push_back(TrailingBytesFinding(EndOf(*last), in.fileSize));
}

// ISO/IEC 14496-12, 8.2.1: 'moov' is mandatory; 8.8.4: a fragmented file's 'moof'.
void CheckMovie(const IntegrityInput& in, std::vector<Finding>& findings) {
    for (const IntegrityBox& box : in.boxes) {
        const int32_t id = box.id;
        // Image files keep their items in a top-level 'meta' and need no movie.
        if (box.depth == 0 && (id == BoxId::Moov || id == BoxId::Moof || id == BoxId::Meta)) return;
    }
    findings.push_back(Finding{"missing-moov",
                               FindingSeverity::Error,
                               0,
                               {},
                               "the file has no 'moov' and no 'moof': no track can be played"});
}

// ISO/IEC 14496-12, 8.3 to 8.7: the boxes of a track whose quantity is "exactly one".
void CheckTrackStructure(const IntegrityInput& in, std::vector<Finding>& findings) {
    const std::vector<TrackBoxes> tracks = CollectTracks(in.boxes);
    for (size_t i = 0; i < tracks.size(); ++i) {
        const TrackBoxes& t = tracks[i];
        std::string missing;
        const auto need = [&](const IntegrityBox* box, const char* name) {
            if (box == nullptr) missing += std::string(missing.empty() ? "" : ", ") + name;
        };
        need(t.tkhd, "'tkhd'");
        need(t.mdia, "'mdia'");
        if (t.mdia) {
            need(t.mdhd, "'mdhd'");
            need(t.hdlr, "'hdlr'");
            need(t.minf, "'minf'");
        }
        if (t.minf) need(t.stbl, "'stbl'");
        if (t.stbl) {
            need(t.stsd, "'stsd'");
            need(t.stts, "'stts'");
            need(t.stsc, "'stsc'");
            need(t.stsz, "'stsz' or 'stz2'");
            need(t.stco, "'stco' or 'co64'");
        }
        if (missing.empty()) continue;
        findings.push_back(
            At("missing-track-box", FindingSeverity::Error, *t.trak,
               TrackName(i) + " ('trak' at " + HexOffset(t.trak->offset) + ") has no " + missing));
    }
}

// Boxes of which a container holds at most one.
bool UniqueInContainer(int32_t id) {
    switch (id) {
        case BoxId::Mvhd:
        case BoxId::Tkhd:
        case BoxId::Mdhd:
        case BoxId::Hdlr:
        case BoxId::Stsd:
        case BoxId::Stts:
        case BoxId::Stsc:
        case BoxId::Stsz:
        case BoxId::Stco:
        case BoxId::Ctts:
        case BoxId::Stss:
            return true;
        default:
            return false;
    }
}

// ISO/IEC 14496-12: the "Quantity" of each box of UniqueInContainer.
void CheckDuplicates(const IntegrityInput& in, std::vector<Finding>& findings) {
    std::vector<size_t> parents;  // index of the box at each depth above the current one
    std::unordered_set<uint64_t> seen;
    for (size_t i = 0; i < in.boxes.size(); ++i) {
        const IntegrityBox& box = in.boxes[i];
        if (box.depth < 0) continue;
        const size_t depth = static_cast<size_t>(box.depth);
        if (parents.size() > depth) parents.resize(depth);
        if (depth != 0 && parents.size() == depth && UniqueInContainer(box.id)) {
            const size_t parent = parents.back();
            const uint64_t key = (uint64_t{parent} << 16) ^ static_cast<uint32_t>(box.id);
            if (!seen.insert(key).second) {
                const IntegrityBox& p = in.boxes[parent];
                findings.push_back(At("duplicate-box", FindingSeverity::Error, box,
                                      QuotedType(TypeOf(*box.record)) + " at " +
                                          HexOffset(box.offset) + " is not the first in " +
                                          QuotedType(TypeOf(*p.record)) + " at " +
                                          HexOffset(p.offset) + ", which may hold only one"));
            }
        }
        while (parents.size() < depth)
            parents.push_back(i);
        parents.push_back(i);
    }
}

uint64_t SampleCountOf(const TrackBoxes& t) {
    if (const auto* stsz = As<ISOFileFormat::SampleSizeBox>(t.stsz)) return stsz->sample_count;
    if (const auto* stz2 = As<ISOFileFormat::CompactSampleSizeBox>(t.stsz))
        return stz2->sample_count;
    return 0;
}

uint64_t ChunkCountOf(const TrackBoxes& t) {
    if (const auto* stco = As<ISOFileFormat::ChunkOffsetBox>(t.stco)) return stco->entry_count;
    if (const auto* co64 = As<ISOFileFormat::ChunkLargeOffsetBox>(t.stco)) return co64->entry_count;
    return 0;
}

// ISO/IEC 14496-12, 8.6.1.2 'stts', 8.7.3 'stsz', 8.4.2 'mdhd'.
void CheckTimeToSample(const TrackBoxes& t, const std::string& track, uint64_t samples,
                       std::vector<Finding>& findings) {
    const auto* stts = As<ISOFileFormat::TimeToSampleBox>(t.stts);
    if (stts == nullptr) return;
    uint64_t counted = 0;
    uint64_t duration = 0;
    size_t firstZero = SIZE_MAX;
    uint64_t zeroSamples = 0;
    for (size_t i = 0; i < stts->entries.size(); ++i) {
        const auto& entry = stts->entries[i];
        counted += entry.sample_count;
        duration += uint64_t{entry.sample_count} * entry.sample_delta;
        if (entry.sample_delta != 0 || entry.sample_count == 0) continue;
        zeroSamples += entry.sample_count;
        if (firstZero == SIZE_MAX) firstZero = i;
    }
    if (t.stsz && counted != samples) {
        findings.push_back(At("sample-count-mismatch", FindingSeverity::Error, *t.stts,
                              track + ": 'stts' counts " + GroupedNumber(counted) +
                                  " samples, 'stsz' declares " + GroupedNumber(samples)));
    }
    if (zeroSamples != 0) {
        // Writers commonly give the last sample of a text or chapter track no duration; any
        // other sample without one is shown at the same time as the next.
        const bool lastOnly = zeroSamples == 1 && firstZero + 1 == stts->entries.size();
        findings.push_back(
            At("zero-sample-duration", lastOnly ? FindingSeverity::Note : FindingSeverity::Warning,
               *t.stts,
               track + ": " +
                   (lastOnly ? std::string("the last sample has")
                             : GroupedNumber(zeroSamples) + " samples, from entry " +
                                   GroupedNumber(firstZero + 1) + " of 'stts', have") +
                   " a duration of 0"));
    }
    const auto* mdhd = As<ISOFileFormat::MediaHeaderBox>(t.mdhd);
    if (mdhd && counted != 0 && mdhd->duration != duration && mdhd->duration != UINT32_MAX &&
        mdhd->duration != UINT64_MAX) {
        findings.push_back(At("media-duration-mismatch", FindingSeverity::Warning, *t.mdhd,
                              track + ": 'mdhd' declares a duration of " +
                                  GroupedNumber(mdhd->duration) + ", the 'stts' deltas add up to " +
                                  GroupedNumber(duration)));
    }
}

// ISO/IEC 14496-12, 8.7.4 'stsc', 8.7.5 'stco'.
void CheckSampleToChunk(const TrackBoxes& t, const std::string& track, uint64_t samples,
                        std::vector<Finding>& findings) {
    const auto* stsc = As<ISOFileFormat::SampleToChunkBox>(t.stsc);
    if (stsc == nullptr) return;
    const auto* stsd = As<ISOFileFormat::SampleDescriptionBox>(t.stsd);
    const uint64_t chunks = ChunkCountOf(t);
    uint64_t described = 0;
    const auto& entries = stsc->entries;
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        const uint32_t previous = i == 0 ? 0 : entries[i - 1].first_chunk;
        if ((i == 0 && e.first_chunk != 1) || (i != 0 && e.first_chunk <= previous)) {
            findings.push_back(
                At("stsc-order", FindingSeverity::Error, *t.stsc,
                   track + ": entry " + GroupedNumber(i + 1) + " of 'stsc' starts at chunk " +
                       GroupedNumber(e.first_chunk) +
                       (i == 0 ? ", not at chunk 1" : ", not after " + GroupedNumber(previous))));
            return;
        }
        if (stsd &&
            (e.sample_description_index == 0 || e.sample_description_index > stsd->entry_count)) {
            findings.push_back(At("stsc-description-index", FindingSeverity::Error, *t.stsc,
                                  track + ": entry " + GroupedNumber(i + 1) +
                                      " of 'stsc' names sample description " +
                                      GroupedNumber(e.sample_description_index) + "; 'stsd' has " +
                                      GroupedNumber(stsd->entry_count)));
            return;
        }
        const uint64_t next = i + 1 < entries.size() ? entries[i + 1].first_chunk : chunks + 1;
        if (next > e.first_chunk)
            described +=
                (std::min(next, chunks + 1) - std::min<uint64_t>(e.first_chunk, chunks + 1)) *
                uint64_t{e.samples_per_chunk};
    }
    if (t.stsz && t.stco && described != samples) {
        findings.push_back(At("chunk-sample-count-mismatch", FindingSeverity::Error, *t.stsc,
                              track + ": 'stsc' and the " + GroupedNumber(chunks) +
                                  " chunks of 'stco' hold " + GroupedNumber(described) +
                                  " samples, 'stsz' declares " + GroupedNumber(samples)));
    }
}

// ISO/IEC 14496-12, 8.6.2 'stss' (and the partial sync samples of 'stps', laid out alike):
// sample numbers in strictly increasing order, each a sample of the track.
void CheckSampleNumbers(const IntegrityBox* box, std::string_view id, const std::string& track,
                        uint64_t samples, std::vector<Finding>& findings) {
    const auto* table = As<ISOFileFormat::SyncSampleBox>(box);
    if (table == nullptr) return;
    uint32_t previous = 0;
    for (size_t k = 0; k < table->sample_number.size(); ++k) {
        const uint32_t number = table->sample_number[k];
        if (number > previous && number <= samples) {
            previous = number;
            continue;
        }
        findings.push_back(
            At(id, FindingSeverity::Error, *box,
               track + ": entry " + GroupedNumber(k + 1) + " of " +
                   QuotedType(TypeOf(*box->record)) + " is sample " + GroupedNumber(number) +
                   (number > samples ? ", beyond the " + GroupedNumber(samples) + " samples"
                                     : ", not after " + GroupedNumber(previous))));
        return;
    }
}

// ISO/IEC 14496-12, 8.6.1.3 'ctts', 8.6.2 'stss', 8.6.4 'sdtp', and the checks above.
void CheckSampleTables(const IntegrityInput& in, std::vector<Finding>& findings) {
    const std::vector<TrackBoxes> tracks = CollectTracks(in.boxes);
    for (size_t i = 0; i < tracks.size(); ++i) {
        const TrackBoxes& t = tracks[i];
        const std::string track = TrackName(i);
        const uint64_t samples = SampleCountOf(t);
        CheckTimeToSample(t, track, samples, findings);
        CheckSampleToChunk(t, track, samples, findings);
        if (const auto* ctts = As<ISOFileFormat::CompositionOffsetBox>(t.ctts)) {
            uint64_t counted = 0;
            for (const auto& entry : ctts->entries)
                counted += entry.sample_count;
            if (t.stsz && counted != samples) {
                findings.push_back(At("ctts-count-mismatch", FindingSeverity::Error, *t.ctts,
                                      track + ": 'ctts' counts " + GroupedNumber(counted) +
                                          " samples, 'stsz' declares " + GroupedNumber(samples)));
            }
        }
        CheckSampleNumbers(t.stss, "stss-entry", track, samples, findings);
        CheckSampleNumbers(t.stps, "stps-entry", track, samples, findings);
        if (const auto* sdtp = As<ISOFileFormat::SampleDependencyTypeBox>(t.sdtp)) {
            if (t.stsz && sdtp->entries.size() != samples) {
                findings.push_back(
                    At("sdtp-count-mismatch", FindingSeverity::Warning, *t.sdtp,
                       track + ": 'sdtp' holds " + GroupedNumber(sdtp->entries.size()) +
                           " entries, 'stsz' declares " + GroupedNumber(samples) + " samples"));
            }
        }
    }
}

// ISO/IEC 14496-12, 8.6.6 'elst' (media_time and segment_duration place each edit in the
// media's composition times), 8.6.1.3 'ctts': an edit past the media's end has nothing to show.
void CheckEditLists(const IntegrityInput& in, std::vector<Finding>& findings) {
    const ISOFileFormat::MovieHeaderBox* mvhd = nullptr;
    for (const IntegrityBox& box : in.boxes) {
        // The media of a fragmented movie lies in its fragments; 'mdhd' does not count them.
        if (box.id == BoxId::Mvex) return;
        if (mvhd == nullptr && box.id == BoxId::Mvhd)
            mvhd = dynamic_cast<const ISOFileFormat::MovieHeaderBox*>(box.record);
    }
    if (mvhd == nullptr || mvhd->timescale == 0) return;
    const std::vector<TrackBoxes> tracks = CollectTracks(in.boxes);
    for (size_t i = 0; i < tracks.size(); ++i) {
        const auto* elst = As<ISOFileFormat::EditListBox>(tracks[i].elst);
        const auto* mdhd = As<ISOFileFormat::MediaHeaderBox>(tracks[i].mdhd);
        if (elst == nullptr || mdhd == nullptr || mdhd->timescale == 0) continue;
        const double toMedia = double(mdhd->timescale) / mvhd->timescale;
        // Edits address composition times, which 'ctts' moves up to its largest offset past
        // the decode times (signed in version 1).
        double latest = double(mdhd->duration);
        if (const auto* ctts = As<ISOFileFormat::CompositionOffsetBox>(tracks[i].ctts)) {
            uint32_t largest = 0;
            for (const auto& entry : ctts->entries) {
                const bool negative = ctts->version == 1 && (entry.sample_offset >> 31) != 0;
                if (!negative) largest = std::max(largest, entry.sample_offset);
            }
            latest += largest;
        }
        for (size_t k = 0; k < elst->entries.size(); ++k) {
            const auto& e = elst->entries[k];
            if (e.media_time < 0) continue;  // an empty edit
            const double length = e.media_rate_integer == 0 ? 0.0 : e.segment_duration * toMedia;
            const double end = double(e.media_time) + length;
            // One tick of the movie's timescale is the rounding any writer may need.
            if (end <= latest + std::max(1.0, toMedia)) continue;
            findings.push_back(At(
                "edit-beyond-media", FindingSeverity::Warning, *tracks[i].elst,
                TrackName(i) + ": edit " + GroupedNumber(k + 1) + " of 'elst' ends at media time " +
                    GroupedNumber(static_cast<uint64_t>(end)) + "; the media lasts " +
                    GroupedNumber(static_cast<uint64_t>(latest))));
            break;
        }
    }
}

// Whether a track's samples lie in another file: an entry of its 'dref' without the flag 1.
bool ExternalData(const TrackBoxes& t) {
    const auto* dref = As<ISOFileFormat::DataReferenceBox>(t.dref);
    if (dref == nullptr) return false;
    for (const auto& entry : dref->entries)
        if (entry && (entry->flags[2] & 1) == 0) return true;
    return false;
}

// One chunk's bytes in the file.
struct ChunkRange {
    uint64_t begin = 0;
    uint64_t end = 0;
    uint32_t table = 0;
    uint32_t chunk = 0;
};

struct MdatRange {
    const IntegrityBox* box = nullptr;
    uint64_t begin = 0;  // the payload, after the header
    uint64_t end = 0;    // as declared; may lie beyond the file
};

// The chunks of the tables in offset order, merged track by track: a real file's chunk table
// is in offset order already and costs nothing more; a table that is not gets an index, sorted
// once (n log n, four bytes a chunk).
class ChunkStream {
public:
    ChunkStream(const std::vector<TrackChunkTable>& tables,
                const std::vector<std::vector<uint32_t>>& orders, const std::vector<bool>& used)
        : m_tables(tables), m_orders(orders), m_next(tables.size(), 0) {
        for (size_t t = 0; t < tables.size(); ++t)
            if (used[t]) Push(static_cast<uint32_t>(t));
    }

    bool Next(ChunkRange& r) {
        if (m_heads.empty()) return false;
        const uint32_t t = m_heads.top().second;
        m_heads.pop();
        const uint32_t c = At(t, m_next[t]++);
        const ChunkInfo& chunk = m_tables[t].chunks[c];
        r = ChunkRange{chunk.offset, chunk.offset + std::min(chunk.size, ~chunk.offset), t, c};
        Push(t);
        return true;
    }

private:
    uint32_t At(uint32_t t, size_t k) const {
        return m_orders[t].empty() ? static_cast<uint32_t>(k) : m_orders[t][k];
    }
    // Queues the table's next chunk that has bytes.
    void Push(uint32_t t) {
        const auto& chunks = m_tables[t].chunks;
        while (m_next[t] < chunks.size() && chunks[At(t, m_next[t])].size == 0)
            ++m_next[t];
        if (m_next[t] < chunks.size()) m_heads.emplace(chunks[At(t, m_next[t])].offset, t);
    }

    using Head = std::pair<uint64_t, uint32_t>;  // the offset of a table's next chunk
    const std::vector<TrackChunkTable>& m_tables;
    const std::vector<std::vector<uint32_t>>& m_orders;
    std::vector<size_t> m_next;
    std::priority_queue<Head, std::vector<Head>, std::greater<Head>> m_heads;
};

// Per pair of tables (the same one twice for chunks of one track), where their chunks meet.
struct Overlap {
    uint64_t places = 0;
    uint64_t bytes = 0;
    uint64_t firstOffset = 0;
    uint32_t firstChunkA = 0;
    uint32_t firstChunkB = 0;
};

// What the chunk tables say about the media data: the chunks in offset order, swept against the
// 'mdat' boxes (file order) and against each other. Chunks, never samples: the samples of a
// chunk follow one another.
class MediaDataMap {
public:
    MediaDataMap(const IntegrityInput& in, std::vector<Finding>& findings)
        : m_in(in), m_findings(findings) {}

    void Run() {
        if (m_in.collector == nullptr) return;
        const auto& tables = m_in.collector->GetChunkTables();
        m_tracks = CollectTracks(m_in.boxes);
        const std::vector<TrackBoxes>& tracks = m_tracks;
        // The tables are those of the tracks with 'stsc' and a chunk offset box, in order.
        for (const TrackBoxes& t : tracks)
            if (t.stsc && t.stco) m_tableTracks.push_back(&t - tracks.data());
        const bool mapped = m_tableTracks.size() == tables.size();
        if (!mapped) {
            m_tableTracks.clear();
            for (size_t i = 0; i < tables.size(); ++i)
                m_tableTracks.push_back(i);
        }
        // The map of what no sample references is only told of tables without errors: a broken
        // table leaves bytes unreferenced that the error already accounts for.
        bool complete = std::none_of(m_findings.begin(), m_findings.end(), [](const Finding& f) {
            return f.severity == FindingSeverity::Error;
        });
        complete = complete && mapped;
        for (const TrackBoxes& t : tracks)
            complete = complete && (t.stbl == nullptr || (t.stsc && t.stco));
        m_used.assign(tables.size(), false);
        m_orders.assign(tables.size(), {});
        for (size_t t = 0; t < tables.size(); ++t) {
            const size_t track = m_tableTracks[t];
            if (track < tracks.size() && ExternalData(tracks[track])) {
                complete = false;
                continue;
            }
            m_used[t] = true;
            const auto& chunks = tables[t].chunks;
            for (const ChunkInfo& chunk : chunks)
                complete = complete && chunk.sizedSampleCount == chunk.sampleCount;
            const auto before = [&](uint32_t x, uint32_t y) {
                return chunks[x].offset < chunks[y].offset;
            };
            bool ordered = true;
            for (size_t c = 1; c < chunks.size() && ordered; ++c)
                ordered = chunks[c - 1].offset <= chunks[c].offset;
            if (ordered) continue;
            auto& order = m_orders[t];
            order.resize(chunks.size());
            for (size_t c = 0; c < chunks.size(); ++c)
                order[c] = static_cast<uint32_t>(c);
            std::stable_sort(order.begin(), order.end(), before);
        }
        for (const IntegrityBox& box : m_in.boxes) {
            if (box.id == BoxId::Moof) complete = false;  // fragments hold their own
            // Items of a 'meta' ('iloc', ISO/IEC 14496-12 8.11.3) hold bytes of 'mdat' too, and
            // are not mapped: an image's data would be told as belonging to nothing.
            if (box.id == BoxId::Iloc) complete = false;
            if (box.id != BoxId::Mdat) continue;
            const uint64_t header = box.record->size > UINT32_MAX ? 16 : 8;
            m_mdats.push_back(MdatRange{&box, box.offset + header, EndOf(box)});
        }
        std::sort(m_mdats.begin(), m_mdats.end(),
                  [](const MdatRange& a, const MdatRange& b) { return a.begin < b.begin; });
        // Chunks placed by a broken 'stsc' overlap for that reason alone, already told.
        const bool chunksKnown =
            std::none_of(m_findings.begin(), m_findings.end(), [](const Finding& f) {
                return f.id == "stsc-order" || f.id == "chunk-sample-count-mismatch";
            });
        if (!chunksKnown) return;
        const size_t before = m_findings.size();
        CheckPlaces();
        CheckOverlaps();
        if (complete && m_findings.size() == before) CheckCoverage();
    }

private:
    std::string TrackOf(uint32_t table) const {
        return TrackName(table < m_tableTracks.size() ? m_tableTracks[table] : table);
    }
    ChunkStream Stream() const {
        return ChunkStream(m_in.collector->GetChunkTables(), m_orders, m_used);
    }
    // An error about the chunks of a table, at the track's chunk offset box.
    Finding AtTable(uint32_t table, std::string_view id, std::string sentence) const {
        const size_t track = table < m_tableTracks.size() ? m_tableTracks[table] : SIZE_MAX;
        if (track < m_tracks.size() && m_tracks[track].stco)
            return At(id, FindingSeverity::Error, *m_tracks[track].stco, std::move(sentence));
        return Finding{id, FindingSeverity::Error, 0, {}, std::move(sentence)};
    }
    const ChunkInfo& Chunk(const ChunkRange& r) const {
        return m_in.collector->GetChunkTables()[r.table].chunks[r.chunk];
    }

    // ISO/IEC 14496-12, 8.7.5 (chunk_offset: where the chunk lies in the file), 8.1.1 ('mdat'
    // holds the media data of a file whose data references are all "this file").
    void CheckPlaces() {
        struct Stray {
            uint64_t samples = 0;
            uint64_t chunks = 0;
            bool found = false;
            ChunkRange first;
        };
        const size_t count = m_in.collector->GetChunkTables().size();
        std::vector<Stray> outside(count), beyond(count);
        size_t m = 0;
        ChunkStream stream = Stream();
        for (ChunkRange r; stream.Next(r);) {
            while (m < m_mdats.size() && m_mdats[m].end <= r.begin)
                ++m;
            const bool inMdat =
                m < m_mdats.size() && m_mdats[m].begin <= r.begin && r.end <= m_mdats[m].end;
            if (r.end > m_in.fileSize && inMdat) continue;  // the truncated 'mdat' tells it
            if (inMdat) continue;
            Stray& s = (r.end > m_in.fileSize ? beyond : outside)[r.table];
            s.samples += Chunk(r).sampleCount;
            s.chunks += 1;
            if (!s.found || r.chunk < s.first.chunk) s.first = r;
            s.found = true;
        }
        const auto report = [&](const std::vector<Stray>& strays, std::string_view id,
                                std::string_view where) {
            for (size_t t = 0; t < strays.size(); ++t) {
                const Stray& s = strays[t];
                if (!s.found) continue;
                m_findings.push_back(
                    AtTable(static_cast<uint32_t>(t), id,
                            TrackOf(static_cast<uint32_t>(t)) + ": " + GroupedNumber(s.samples) +
                                (s.samples == 1 ? " sample" : " samples") + " in " +
                                GroupedNumber(s.chunks) + (s.chunks == 1 ? " chunk" : " chunks") +
                                (s.samples == 1 ? " lies " : " lie ") + std::string(where) +
                                ", the first in chunk " + GroupedNumber(s.first.chunk + 1) +
                                " at " + HexOffset(s.first.begin)));
            }
        };
        report(outside, "samples-outside-mdat", "outside every 'mdat'");
        report(beyond, "samples-beyond-file", "beyond the end of the file");
    }

    // ISO/IEC 14496-12, 8.7.3 and 8.7.5: each sample is its own bytes.
    void CheckOverlaps() {
        std::map<std::pair<uint32_t, uint32_t>, Overlap> overlaps;
        ChunkRange reach;  // the chunk that reaches furthest so far
        bool any = false;
        ChunkStream stream = Stream();
        for (ChunkRange r; stream.Next(r);) {
            if (any && r.begin < reach.end) {
                const bool reachFirst = reach.table <= r.table;
                const ChunkRange& a = reachFirst ? reach : r;
                const ChunkRange& b = reachFirst ? r : reach;
                Overlap& o = overlaps[{a.table, b.table}];
                if (o.places == 0) {
                    o.firstOffset = r.begin;
                    o.firstChunkA = a.chunk;
                    o.firstChunkB = b.chunk;
                }
                o.places += 1;
                o.bytes += std::min(r.end, reach.end) - r.begin;
            }
            if (!any || r.end > reach.end) reach = r;
            any = true;
        }
        for (const auto& [tables, o] : overlaps) {
            const std::string a = TrackOf(tables.first);
            const std::string b = TrackOf(tables.second);
            const bool one = tables.first == tables.second;
            // Within one track the chunks are named in table order.
            const bool swap = one && o.firstChunkB < o.firstChunkA;
            const std::string chunkA = GroupedNumber((swap ? o.firstChunkB : o.firstChunkA) + 1);
            const std::string chunkB = GroupedNumber((swap ? o.firstChunkA : o.firstChunkB) + 1);
            m_findings.push_back(AtTable(
                tables.first, "samples-share-bytes",
                (one ? a + ": chunks" : a + " and " + b) + " share " + GroupedNumber(o.bytes) +
                    " bytes in " + GroupedNumber(o.places) +
                    (o.places == 1 ? " place" : " places") + ", the first at " +
                    HexOffset(o.firstOffset) + " (" +
                    (one ? "chunks " + chunkA + " and " + chunkB
                         : "chunk " + chunkA + " of " + a + ", chunk " + chunkB + " of " + b) +
                    ")"));
        }
    }

    // ISO/IEC 14496-12, 8.1.1: the bytes of 'mdat' are the samples; what no sample references
    // is lost space or lost media.
    void CheckCoverage() {
        ChunkStream stream = Stream();
        ChunkRange next;
        bool more = stream.Next(next);
        for (const MdatRange& mdat : m_mdats) {
            const uint64_t end = std::min(mdat.end, m_in.fileSize);
            if (mdat.begin >= end) continue;
            uint64_t at = mdat.begin;  // the first byte not yet known to be referenced
            uint64_t bytes = 0, ranges = 0, largest = 0, largestAt = 0;
            const auto gap = [&](uint64_t to) {
                if (to <= at) return;
                bytes += to - at;
                ranges += 1;
                if (to - at > largest) {
                    largest = to - at;
                    largestAt = at;
                }
            };
            for (; more && next.begin < end; more = stream.Next(next)) {
                if (next.end > at) {
                    gap(std::max(next.begin, mdat.begin));
                    at = std::max(at, next.end);
                }
            }
            gap(end);
            if (bytes == 0) continue;
            const IntegrityBox& box = *mdat.box;
            m_findings.push_back(At(
                "unreferenced-media-data", FindingSeverity::Note, box,
                QuotedType(TypeOf(*box.record)) + " at " + HexOffset(box.offset) + ": " +
                    GroupedNumber(bytes) + " of its " + GroupedNumber(end - mdat.begin) +
                    " bytes, in " + GroupedNumber(ranges) + (ranges == 1 ? " range" : " ranges") +
                    ", belong to no sample; the largest range: " + GroupedNumber(largest) +
                    " bytes at " + HexOffset(largestAt)));
        }
    }

    const IntegrityInput& m_in;
    std::vector<Finding>& m_findings;
    std::vector<TrackBoxes> m_tracks;
    std::vector<size_t> m_tableTracks;            // the track of each chunk table
    std::vector<std::vector<uint32_t>> m_orders;  // per table; empty when in offset order
    std::vector<bool> m_used;                     // the tables whose data is in this file
    std::vector<MdatRange> m_mdats;
};

void CheckMediaData(const IntegrityInput& in, std::vector<Finding>& findings) {
    MediaDataMap(in, findings).Run();
}

// Whether `offset` is where a top-level box starts (`starts` in file order).
bool StartsBox(const std::vector<uint64_t>& starts, uint64_t offset) {
    return std::binary_search(starts.begin(), starts.end(), offset);
}

// The movie fragments, walked once in file order: ISO/IEC 14496-12, 8.8 and 8.16.3 'sidx', with
// the sample encryption of ISO/IEC 23001-7, 7.2 'senc', and 8.7.8/8.7.9 'saiz'/'saio'. Where the
// runs' data lies and how long a fragment lasts come from the collector's fragment tables: one
// per 'traf' in file order, one chunk per 'trun'.
class FragmentWalk {
public:
    FragmentWalk(const IntegrityInput& in, std::vector<Finding>& findings)
        : m_in(in), m_findings(findings) {
        if (in.collector) m_tables = in.collector->GetFragmentTables();
    }

    void Run() {
        for (const IntegrityBox& box : m_in.boxes) {
            if (box.depth == 0) {
                m_starts.push_back(box.offset);
                if (box.id == BoxId::Moof) m_moofs.push_back(box.offset);
            }
        }
        for (const IntegrityBox& box : m_in.boxes) {
            if (box.depth < 0) continue;
            if (m_traf && box.depth <= m_traf->depth) FinishTraf();
            if (box.depth == 0) Top(box);
            Visit(box);
        }
        FinishTraf();
        CheckRuns(nullptr);
        if (m_protected && !m_pssh) {
            m_findings.push_back(At("no-pssh", FindingSeverity::Note, *m_protected,
                                    "a track is protected ('sinf' at " +
                                        HexOffset(m_protected->offset) +
                                        ") and the file holds no 'pssh': the protection "
                                        "systems' data must come from elsewhere (a manifest)"));
        }
    }

private:
    // A track run's data, to be found in the 'mdat' after its 'moof'.
    struct RunData {
        const IntegrityBox* trun = nullptr;
        uint64_t begin = 0;
        uint64_t end = 0;
    };

    void Top(const IntegrityBox& box) {
        if (box.id == BoxId::Mdat) {
            CheckRuns(&box);
        } else if (box.id == BoxId::Moof) {
            CheckRuns(nullptr);  // a 'moof' whose data no 'mdat' followed
            m_moof = &box;
        }
    }

    template <typename T>
    static const T* Record(const IntegrityBox& box) {
        return dynamic_cast<const T*>(box.record);
    }

    void Visit(const IntegrityBox& box) {
        using namespace ISOFileFormat;
        switch (box.id) {
            case BoxId::Moof:
                // The collector's runs of a 'moof' belong to its track fragments only.
                m_seenMoof = true;
                m_table = nullptr;
                break;
            case BoxId::Mfhd:
                if (const auto* mfhd = Record<MovieFragmentHeaderBox>(box)) Sequence(box, *mfhd);
                break;
            case BoxId::Traf:
                m_traf = &box;
                m_tfhd = nullptr;
                m_senc = m_saiz = m_saio = nullptr;
                m_trafSamples = 0;
                m_tfdt = nullptr;
                m_table = TableOfTraf();
                m_nextRun = 0;
                break;
            case BoxId::Tfhd:
                m_tfhd = Record<TrackFragmentHeaderBox>(box);
                // A table that is not this fragment's would misplace every run after it.
                if (m_table && m_tfhd && m_table->fragment.track_ID != m_tfhd->track_ID)
                    LoseTables();
                break;
            case BoxId::Tfdt:
                m_tfdt = &box;
                break;
            case BoxId::Trun:
                if (const auto* trun = Record<TrackRunBox>(box)) TrackRun(box, *trun);
                break;
            case BoxId::Senc:
                m_senc = &box;
                break;
            case BoxId::Saiz:
                m_saiz = &box;
                break;
            case BoxId::Saio:
                m_saio = &box;
                break;
            case BoxId::Sidx:
                if (const auto* sidx = Record<SegmentIndexBox>(box)) Index(box, *sidx);
                break;
            case BoxId::Tfra:
                if (const auto* tfra = Record<TrackFragmentRandomAccessBox>(box))
                    RandomAccess(box, *tfra);
                break;
            case BoxId::Mfra:
                m_mfra = &box;
                break;
            case BoxId::Mfro:
                if (const auto* mfro = Record<MovieFragmentRandomAceessOffsetBox>(box))
                    RandomAccessOffset(box, *mfro);
                break;
            case BoxId::Sinf:
                if (m_protected == nullptr) m_protected = &box;
                break;
            case BoxId::Pssh:
                m_pssh = true;
                break;
            default:
                break;
        }
    }

    // ISO/IEC 14496-12, 8.8.5: sequence_number, in increasing order.
    void Sequence(const IntegrityBox& box, const ISOFileFormat::MovieFragmentHeaderBox& mfhd) {
        if (m_haveSequence && mfhd.sequence_number <= m_sequence) {
            m_findings.push_back(
                At("fragment-sequence", FindingSeverity::Warning, box,
                   "'mfhd' at " + HexOffset(box.offset) + " numbers its fragment " +
                       GroupedNumber(mfhd.sequence_number) +
                       ", not after the previous fragment's " + GroupedNumber(m_sequence)));
        }
        m_sequence = mfhd.sequence_number;
        m_haveSequence = true;
    }

    uint32_t TrackId() const { return m_tfhd ? m_tfhd->track_ID : 0; }

    // The collector's table of the 'traf' the walk has reached. It makes one for every 'traf'
    // after the first 'moof' of the file, at any depth, as the walk meets them.
    const TrackChunkTable* TableOfTraf() {
        if (!m_seenMoof || m_nextTable >= m_tables.size()) return nullptr;
        return &m_tables[m_nextTable++];
    }

    // The tables no longer match the boxes: the runs after are not checked, rather than
    // checked against another fragment's data.
    void LoseTables() {
        m_tables = {};
        m_table = nullptr;
    }

    // The chunk of the collector for this 'trun' (ISO/IEC 14496-12, 8.8.8): its byte range and
    // sample count, with the base of 8.8.7 resolved and every sample's defaults applied.
    void TrackRun(const IntegrityBox& box, const ISOFileFormat::TrackRunBox& trun) {
        m_trafSamples += trun.sample_count;
        if (m_table == nullptr) return;
        if (m_nextRun >= m_table->chunks.size() ||
            m_table->chunks[m_nextRun].sampleCount != trun.sample_count) {
            LoseTables();
            return;
        }
        const ChunkInfo& run = m_table->chunks[m_nextRun++];
        // Offsets that rest on the 'moof' count from it until the document has placed it.
        const uint64_t begin =
            run.offset + (m_table->fragment.restsOnMoof && m_moof ? m_moof->offset : 0);
        if (run.size != 0 && m_moof) m_runs.push_back(RunData{&box, begin, begin + run.size});
    }

    // ISO/IEC 14496-12, 8.8.12 'tfdt': the decode time of the fragment's first sample, the sum
    // of the durations of the samples before it.
    void FinishTraf() {
        if (m_traf == nullptr) return;
        const uint32_t track = TrackId();
        const auto* tfdt =
            m_tfdt ? Record<ISOFileFormat::TrackFragmentBaseMediaDecodeTimeBox>(*m_tfdt) : nullptr;
        const uint64_t duration = m_table ? m_table->fragment.duration : 0;
        const auto next = m_nextTime.find(track);
        if (tfdt && next != m_nextTime.end() && tfdt->baseMediaDecodeTime != next->second) {
            const uint64_t expected = next->second;
            const uint64_t actual = tfdt->baseMediaDecodeTime;
            m_findings.push_back(At(
                "tfdt-gap", FindingSeverity::Warning, *m_tfdt,
                "track " + std::to_string(track) + ": the fragment's 'tfdt' at " +
                    HexOffset(m_tfdt->offset) + " gives the decode time " + GroupedNumber(actual) +
                    "; the fragments before end at " + GroupedNumber(expected) + " (" +
                    (actual > expected ? "a gap of " + GroupedNumber(actual - expected)
                                       : "an overlap of " + GroupedNumber(expected - actual)) +
                    ")"));
        }
        if (tfdt) {
            m_nextTime[track] = tfdt->baseMediaDecodeTime + duration;
        } else if (next != m_nextTime.end()) {
            next->second += duration;
        }
        CheckEncryption(track);
        m_traf = nullptr;
    }

    // ISO/IEC 23001-7, 7.2: one 'senc' entry per sample of the fragment; ISO/IEC 14496-12,
    // 8.7.8 'saiz' sizes the same samples and 8.7.9 'saio' points at their data in 'senc'.
    void CheckEncryption(uint32_t track) {
        using namespace ISOFileFormat;
        const auto* senc = m_senc ? Record<SampleEncryptionBox>(*m_senc) : nullptr;
        if (senc == nullptr) return;
        const std::string name = "track " + std::to_string(track) + ": ";
        if (senc->sample_count != m_trafSamples) {
            m_findings.push_back(At("senc-count-mismatch", FindingSeverity::Error, *m_senc,
                                    name + "'senc' at " + HexOffset(m_senc->offset) + " holds " +
                                        GroupedNumber(senc->sample_count) +
                                        " samples, the fragment's runs " +
                                        GroupedNumber(m_trafSamples)));
        }
        const auto* saiz = m_saiz ? Record<SampleAuxiliaryInformationSizesBox>(*m_saiz) : nullptr;
        if (saiz && saiz->sample_count != senc->sample_count) {
            m_findings.push_back(At("saiz-count-mismatch", FindingSeverity::Error, *m_saiz,
                                    name + "'saiz' sizes " + GroupedNumber(saiz->sample_count) +
                                        " samples, 'senc' holds " +
                                        GroupedNumber(senc->sample_count)));
        }
        const auto* saio = m_saio ? Record<SampleAuxiliaryInformationOffsetsBox>(*m_saio) : nullptr;
        if (saio == nullptr || saio->offsets.size() != 1 || m_moof == nullptr) return;
        // The offsets of a 'traf' count from the same base as its data; the default-base-is-
        // moof and the first 'traf' both start at the 'moof'.
        using ISOFileFormat::TrackFragmentHeaderBox;
        const uint64_t base = m_tfhd && m_tfhd->Has(TrackFragmentHeaderBox::kBaseDataOffsetPresent)
                                  ? m_tfhd->base_data_offset
                                  : m_moof->offset;
        const uint64_t data = m_senc->offset + 16;  // header, version and flags, sample_count
        if (base + saio->offsets[0] != data) {
            m_findings.push_back(
                At("saio-offset", FindingSeverity::Error, *m_saio,
                   name + "'saio' points at " + HexOffset(base + saio->offsets[0]) +
                       "; the samples' data in 'senc' start at " + HexOffset(data)));
        }
    }

    // ISO/IEC 14496-12, 8.8.8: the data of a fragment's runs lies in the 'mdat' after it.
    void CheckRuns(const IntegrityBox* mdat) {
        if (m_runs.empty()) return;
        const uint64_t begin = mdat ? mdat->offset + 8 : 0;
        const uint64_t end = mdat ? EndOf(*mdat) : 0;
        uint64_t outside = 0;
        const RunData* first = nullptr;
        for (const RunData& run : m_runs) {
            if (mdat && run.begin >= begin && run.end <= end) continue;
            outside += 1;
            if (first == nullptr) first = &run;
        }
        m_runs.clear();
        if (first == nullptr) return;
        const std::string where = mdat ? "outside the 'mdat' at " + HexOffset(mdat->offset) +
                                             " that follows (" + HexOffset(begin) + " to " +
                                             HexOffset(end) + ")"
                                       : "and no 'mdat' follows its 'moof'";
        m_findings.push_back(At("trun-data-outside-mdat", FindingSeverity::Error, *first->trun,
                                GroupedNumber(outside) + (outside == 1 ? " run" : " runs") +
                                    " of the 'moof' " + (outside == 1 ? "holds" : "hold") +
                                    " data " + where + "; the first, 'trun' at " +
                                    HexOffset(first->trun->offset) + ", from " +
                                    HexOffset(first->begin) + " to " + HexOffset(first->end)));
    }

    // ISO/IEC 14496-12, 8.16.3: the references follow one another from the first byte after
    // the 'sidx' plus first_offset, each referenced_size bytes, each a whole box or boxes.
    void Index(const IntegrityBox& box, const ISOFileFormat::SegmentIndexBox& sidx) {
        uint64_t at = EndOf(box) + sidx.first_offset;
        for (size_t i = 0; i < sidx.references.size(); ++i) {
            const uint64_t start = at;
            at += sidx.references[i].referenced_size;
            if (StartsBox(m_starts, start) && (StartsBox(m_starts, at) || at == m_in.fileSize))
                continue;
            const bool bad = !StartsBox(m_starts, start);
            m_findings.push_back(
                At("sidx-size-mismatch", FindingSeverity::Warning, box,
                   "'sidx' at " + HexOffset(box.offset) + ": reference " + GroupedNumber(i + 1) +
                       " of " + GroupedNumber(sidx.references.size()) +
                       (bad ? " starts at " + HexOffset(start)
                            : " (" + GroupedNumber(sidx.references[i].referenced_size) +
                                  " bytes) ends at " + HexOffset(at)) +
                       ", where no box starts"));
            return;
        }
    }

    // ISO/IEC 14496-12, 8.8.10: moof_offset, the offset of the 'moof' of the sample.
    void RandomAccess(const IntegrityBox& box,
                      const ISOFileFormat::TrackFragmentRandomAccessBox& tfra) {
        uint64_t bad = 0;
        size_t first = 0;
        for (size_t i = 0; i < tfra.entries.size(); ++i) {
            if (StartsBox(m_moofs, tfra.entries[i].moof_offset)) continue;
            if (bad++ == 0) first = i;
        }
        if (bad == 0) return;
        m_findings.push_back(At(
            "tfra-offset", FindingSeverity::Error, box,
            "'tfra' of track " + std::to_string(tfra.track_ID) + ": " + GroupedNumber(bad) +
                " of its " + GroupedNumber(tfra.entries.size()) +
                " entries point where no 'moof' starts, the first (entry " +
                GroupedNumber(first + 1) + ") at " + HexOffset(tfra.entries[first].moof_offset)));
    }

    // ISO/IEC 14496-12, 8.8.11: the size field of 'mfro' repeats the size of its 'mfra', so a
    // reader can find 'mfra' from the end of the file.
    void RandomAccessOffset(const IntegrityBox& box,
                            const ISOFileFormat::MovieFragmentRandomAceessOffsetBox& mfro) {
        if (m_mfra == nullptr || mfro.mfra_size == m_mfra->record->size) return;
        m_findings.push_back(At("mfro-size", FindingSeverity::Error, box,
                                "'mfro' at " + HexOffset(box.offset) + " gives 'mfra' " +
                                    GroupedNumber(mfro.mfra_size) + " bytes; the 'mfra' at " +
                                    HexOffset(m_mfra->offset) + " declares " +
                                    GroupedNumber(m_mfra->record->size)));
    }

    const IntegrityInput& m_in;
    std::vector<Finding>& m_findings;
    std::vector<uint64_t> m_starts;  // of the top-level boxes
    std::vector<uint64_t> m_moofs;
    std::unordered_map<uint32_t, uint64_t> m_nextTime;  // per track_ID
    std::vector<RunData> m_runs;                        // of the current 'moof'
    const IntegrityBox* m_moof = nullptr;
    const IntegrityBox* m_traf = nullptr;
    const ISOFileFormat::TrackFragmentHeaderBox* m_tfhd = nullptr;
    const IntegrityBox* m_tfdt = nullptr;
    const IntegrityBox* m_senc = nullptr;
    const IntegrityBox* m_saiz = nullptr;
    const IntegrityBox* m_saio = nullptr;
    const IntegrityBox* m_mfra = nullptr;
    const IntegrityBox* m_protected = nullptr;
    bool m_pssh = false;
    bool m_haveSequence = false;
    uint32_t m_sequence = 0;
    uint64_t m_trafSamples = 0;
    std::span<const TrackChunkTable> m_tables;  // the collector's, one per 'traf'
    size_t m_nextTable = 0;
    const TrackChunkTable* m_table = nullptr;  // of the current 'traf'; none when unknown
    size_t m_nextRun = 0;                      // its chunk for the next 'trun'
    bool m_seenMoof = false;
};

void CheckFragments(const IntegrityInput& in, std::vector<Finding>& findings) {
    FragmentWalk(in, findings).Run();
}

constexpr IntegrityCheckRow kChecks[] = {
    {CheckSignature, true},       {CheckFileExtent, false}, {CheckMovie, false},
    {CheckTrackStructure, false}, {CheckDuplicates, false}, {CheckSampleTables, false},
    {CheckEditLists, false},      {CheckMediaData, false},  {CheckFragments, false},
};

}  // namespace

std::span<const IntegrityCheckRow> IntegrityCheckTable() {
    return kChecks;
}

std::vector<Finding> RunIntegrityChecks(const IntegrityInput& input) {
    std::vector<Finding> findings;
    for (const IntegrityCheckRow& row : kChecks) {
        const size_t before = findings.size();
        row.check(input, findings);
        if (row.conclusive && findings.size() != before) break;
    }
    return findings;
}

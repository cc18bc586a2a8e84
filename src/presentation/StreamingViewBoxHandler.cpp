#include "presentation/StreamingViewBoxHandler.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/Format.h"
#include "model/ISOBoxes.h"
#include "model/StreamingBoxes.h"
#include "presentation/ISOViewBox.h"
#include "presentation/ISOViewBoxHandler.h"

using namespace ISOFileFormat;

namespace {

using Layer = CISOViewBoxItemLayer;
using Writer = CItemTextWriter;

// ---- Segments and timing ----

void ShowSegmentType(const FileTypeBox& box, const ViewBoxTarget& t) {
    ShowFileType(box, t);
}

constexpr const char* kReferenceTypes[] = {"media", "index"};

void ShowSegmentIndex(const SegmentIndexBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddNumber("reference_ID", box.reference_ID);
    l.AddNumber("timescale", box.timescale);
    l.AddNumber("earliest_presentation_time", static_cast<int64_t>(box.earliest_presentation_time));
    l.AddNumber("first_offset", static_cast<int64_t>(box.first_offset));
    l.AddNumber("reference_count", box.reference_count);
    t.contents.AddRows(box.references.size(), [refs = box.references](size_t row, Writer& item) {
        const SegmentIndexBox::Reference& r = refs[row];
        item.Text("reference ").Unsigned(row + 1).Value();
        item.Text("reference_type : ").Unsigned(r.reference_type);
        item.Text(" (").Text(kReferenceTypes[r.reference_type & 1]).Char(')');
        item.Text(", referenced_size : ").Unsigned(r.referenced_size);
        item.Text(", subsegment_duration : ").Unsigned(r.subsegment_duration);
        item.Text(", starts_with_SAP : ").Unsigned(r.starts_with_SAP);
        item.Text(", SAP_type : ").Unsigned(r.SAP_type);
        item.Text(", SAP_delta_time : ").Unsigned(r.SAP_delta_time);
    });
}

void ShowDecodeTime(const TrackFragmentBaseMediaDecodeTimeBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("baseMediaDecodeTime", static_cast<int64_t>(box.baseMediaDecodeTime));
}

// The schemes whose message data has a known meaning.
std::string SchemeText(const std::string& uri) {
    if (uri == "urn:scte:scte35:2013:bin") return uri + " (SCTE-35 splice information)";
    if (uri == "https://aomedia.org/emsg/ID3") return uri + " (ID3 tag)";
    return uri;
}

void ShowEventMessage(const EventMessageBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddItem("scheme_id_uri", SchemeText(box.scheme_id_uri));
    l.AddItem("value", box.value);
    l.AddNumber("timescale", box.timescale);
    l.AddNumber(box.version == 0 ? "presentation_time_delta" : "presentation_time",
                static_cast<int64_t>(box.presentation_time));
    l.AddNumber("event_duration", box.event_duration);
    l.AddNumber("id", box.id);
    AddHexItem(l, "message_data", box.message_data);
}

// An NTP time (seconds since 1900-01-01 UTC, then 32 fraction bits) as a UTC date to the
// microsecond.
std::string NtpText(uint64_t ntp) {
    using namespace std::chrono;
    const sys_seconds time =
        sys_days{year{1900} / January / 1} + seconds{static_cast<int64_t>(ntp >> 32)};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss<seconds> clock{time - day};
    const auto micros = ((ntp & 0xFFFFFFFFu) * 1000000u) >> 32;
    return StrFormat("%04d-%02u-%02u %02d:%02d:%02d.%06llu UTC (0x%016llX)",
                     static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                     static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                     static_cast<int>(clock.minutes().count()),
                     static_cast<int>(clock.seconds().count()),
                     static_cast<unsigned long long>(micros), static_cast<unsigned long long>(ntp));
}

void ShowProducerReferenceTime(const ProducerReferenceTimeBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddNumber("reference_track_ID", box.reference_track_ID);
    l.AddItem("ntp_timestamp", NtpText(box.ntp_timestamp));
    l.AddNumber("media_time", static_cast<int64_t>(box.media_time));
}

// ---- Common encryption ----

void ShowSchemeType(const SchemeTypeBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddItem("scheme_type", CodeText(box.scheme_type));
    l.AddItem("scheme_version", StrFormat("0x%08X (%u.%u)", box.scheme_version,
                                          box.scheme_version >> 16, box.scheme_version & 0xFFFF));
    if (box.FlagsValue() & SchemeTypeBox::kHasURI) l.AddItem("scheme_uri", box.scheme_uri);
}

void AddUuidItem(Layer& l, std::string_view label, const Uuid& uuid, const char* name = nullptr) {
    Layer::ItemWriter item = l.BeginItem();
    WriteUuid(item.Text(label).Value(), uuid);
    if (name) item.Text(" (").Text(name).Char(')');
}

void ShowTrackEncryption(const TrackEncryptionBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    if (box.version > 0) {
        l.AddNumber("default_crypt_byte_block", box.default_crypt_byte_block);
        l.AddNumber("default_skip_byte_block", box.default_skip_byte_block);
    }
    l.AddItem("default_isProtected", StrFormat("%u (%s)", box.default_isProtected,
                                               box.default_isProtected == 0   ? "not protected"
                                               : box.default_isProtected == 1 ? "protected"
                                                                              : "reserved"));
    l.AddNumber("default_Per_Sample_IV_Size", box.default_Per_Sample_IV_Size);
    AddUuidItem(l, "default_KID", box.default_KID);
    if (!box.HasConstantIV()) return;
    l.AddNumber("default_constant_IV_size", box.default_constant_IV_size);
    AddHexItem(l, "default_constant_IV", box.default_constant_IV);
}

struct ProtectionSystem {
    Uuid id;
    const char* name;
};

constexpr ProtectionSystem kProtectionSystems[] = {
    {{0xED, 0xEF, 0x8B, 0xA9, 0x79, 0xD6, 0x4A, 0xCE, 0xA3, 0xC8, 0x27, 0xDC, 0xD5, 0x1D, 0x21,
      0xED},
     "Widevine"},
    {{0x9A, 0x04, 0xF0, 0x79, 0x98, 0x40, 0x42, 0x86, 0xAB, 0x92, 0xE6, 0x5B, 0xE0, 0x88, 0x5F,
      0x95},
     "PlayReady"},
    {{0x94, 0xCE, 0x86, 0xFB, 0x07, 0xFF, 0x4F, 0x43, 0xAD, 0xB8, 0x93, 0xD2, 0xFA, 0x96, 0x8C,
      0xA2},
     "FairPlay"},
    {{0x10, 0x77, 0xEF, 0xEC, 0xC0, 0xB2, 0x4D, 0x02, 0xAC, 0xE3, 0x3C, 0x1E, 0x52, 0xE2, 0xFB,
      0x4B},
     "W3C Common"},
    {{0x5E, 0x62, 0x9A, 0xF5, 0x38, 0xDA, 0x40, 0x63, 0x89, 0x77, 0x97, 0xFF, 0xBD, 0x99, 0x02,
      0xD4},
     "Marlin"},
};

const char* ProtectionSystemName(const Uuid& id) {
    for (const ProtectionSystem& system : kProtectionSystems)
        if (system.id == id) return system.name;
    return "unknown system";
}

void ShowProtectionSystemHeader(const ProtectionSystemSpecificHeaderBox& box,
                                const ViewBoxTarget& t) {
    Layer& l = t.contents;
    AddUuidItem(l, "SystemID", box.SystemID, ProtectionSystemName(box.SystemID));
    if (box.version > 0) {
        l.AddNumber("KID_count", box.KID_count);
        for (size_t i = 0; i < box.KIDs.size(); ++i)
            AddUuidItem(l, StrFormat("KID[%zu]", i), box.KIDs[i]);
    }
    l.AddNumber("DataSize", box.DataSize);
    AddHexItem(l, "Data", box.Data);
}

void AddAuxiliaryType(Layer& l, const FullBox& box, const uint8_t type[4], uint32_t parameter) {
    if (!(box.FlagsValue() & SampleAuxiliaryInformationSizesBox::kHasType)) return;
    l.AddItem("aux_info_type", CodeText(type));
    l.AddNumber("aux_info_type_parameter", parameter);
}

void ShowAuxiliaryInformationSizes(const SampleAuxiliaryInformationSizesBox& box,
                                   const ViewBoxTarget& t) {
    Layer& l = t.contents;
    AddAuxiliaryType(l, box, box.aux_info_type, box.aux_info_type_parameter);
    l.AddNumber("default_sample_info_size", box.default_sample_info_size);
    l.AddNumber("sample_count", box.sample_count);
    l.AddRows(
        box.sample_info_size.size(), [sizes = box.sample_info_size](size_t row, Writer& item) {
            item.Text("sample_info_size[").Unsigned(row).Char(']').Value().Unsigned(sizes[row]);
        });
}

void ShowAuxiliaryInformationOffsets(const SampleAuxiliaryInformationOffsetsBox& box,
                                     const ViewBoxTarget& t) {
    Layer& l = t.contents;
    AddAuxiliaryType(l, box, box.aux_info_type, box.aux_info_type_parameter);
    l.AddNumber("entry_count", box.entry_count);
    l.AddRows(box.offsets.size(), [offsets = box.offsets](size_t row, Writer& item) {
        item.Text("offset[").Unsigned(row).Char(']').Value().Text("0x").Hex(offsets[row], 8);
    });
}

// ---- Sample encryption ----

const char* IVSourceText(SampleEncryptionBox::IVSource source) {
    switch (source) {
        case SampleEncryptionBox::IVSource::TrackEncryption:
            return "the 'tenc' of track";
        case SampleEncryptionBox::IVSource::ConstantIV:
            return "the 'tenc', constant IV, of track";
        case SampleEncryptionBox::IVSource::SampleGroup:
            return "the 'seig' sample group of track";
        case SampleEncryptionBox::IVSource::Override:
            return "this box's override, in track";
        case SampleEncryptionBox::IVSource::Unknown:
            break;
    }
    return "";
}

// Bytes in rows of 32, for what cannot be decoded.
constexpr size_t kRowBytes = 32;

void AddHexRows(Layer& l, std::string_view label, std::vector<uint8_t> bytes) {
    const size_t rows = (bytes.size() + kRowBytes - 1) / kRowBytes;
    l.AddRows(rows, [label, bytes = std::move(bytes)](size_t row, Writer& item) {
        const size_t at = row * kRowBytes;
        const size_t count = std::min(kRowBytes, bytes.size() - at);
        item.Text(label).Char('[').Unsigned(at).Char(']').Value().HexBytes(
            std::span(bytes).subspan(at, count));
    });
}

uint32_t BigEndianAt(const std::vector<uint8_t>& bytes, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i)
        value = (value << 8) | bytes[at + i];
    return value;
}

void ShowSampleEncryption(const SampleEncryptionBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    if (box.FlagsValue() & SampleEncryptionBox::kOverrideTrackEncryption) {
        l.AddNumber("AlgorithmID", box.AlgorithmID);
        l.AddNumber("IV_size", box.IV_size);
        AddUuidItem(l, "KID", box.KID);
    }
    l.AddNumber("sample_count", box.sample_count);
    if (box.ivSource == SampleEncryptionBox::IVSource::Unknown) {
        l.AddItem("Per_Sample_IV_Size",
                  StrFormat("unknown: no 'tenc' or 'seig' of track %u was read before this box; "
                            "the samples are shown as bytes",
                            box.track_ID));
        AddHexRows(l, "bytes", box.bytes);
        return;
    }
    l.AddItem("Per_Sample_IV_Size", StrFormat("%u (from %s %u)", box.Per_Sample_IV_Size,
                                              IVSourceText(box.ivSource), box.track_ID));
    if (box.Per_Sample_IV_Size == 0 && !box.HasSubsamples()) return;
    if (box.samples.size() < box.sample_count)
        l.AddItem("samples", StrFormat("%zu of %u: sample_count does not fit the box",
                                       box.samples.size(), box.sample_count));
    const size_t ivSize = box.Per_Sample_IV_Size;
    const bool subsamples = box.HasSubsamples();
    l.AddRows(box.samples.size(), [samples = box.samples, bytes = box.bytes, ivSize, subsamples](
                                      size_t row, Writer& item) {
        const SampleEncryptionBox::Sample& sample = samples[row];
        item.Text("sample ").Unsigned(row + 1).Value();
        if (ivSize > 0) {
            item.Text("InitializationVector : ")
                .HexBytes(std::span(bytes).subspan(sample.at, ivSize));
            if (subsamples) item.Text(", ");
        }
        if (!subsamples) return;
        item.Text("subsample_count : ").Unsigned(sample.subsample_count);
        size_t at = sample.at + ivSize + 2;
        for (uint16_t i = 0; i < sample.subsample_count; ++i, at += 6) {
            item.Text(", (BytesOfClearData, BytesOfProtectedData) : (")
                .Unsigned(BigEndianAt(bytes, at, 2))
                .Text(", ")
                .Unsigned(BigEndianAt(bytes, at + 2, 4))
                .Char(')');
        }
    });
    if (box.samplesEnd < box.bytes.size())
        AddHexRows(l, "bytes after the samples",
                   std::vector<uint8_t>(box.bytes.begin() + static_cast<ptrdiff_t>(box.samplesEnd),
                                        box.bytes.end()));
}

// ---- Segment levels ----

void ShowSubsegmentIndex(const SubsegmentIndexBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("subsegment_count", box.subsegment_count);
    t.contents.AddRows(box.subsegments.size(), [subsegments = box.subsegments, ranges = box.ranges](
                                                   size_t row, Writer& item) {
        const SubsegmentIndexBox::Subsegment& s = subsegments[row];
        item.Text("subsegment ").Unsigned(row + 1).Value();
        item.Text("range_count : ").Unsigned(s.range_count);
        for (size_t i = 0; i < s.rangesRead; ++i) {
            const SubsegmentIndexBox::Range& r = ranges[s.firstRange + i];
            item.Text(", (level, range_size) : (").Unsigned(r.level).Text(", ");
            item.Unsigned(r.range_size).Char(')');
        }
    });
}

constexpr const char* kAssignmentTypes[] = {"sample grouping", "sample grouping with parameter",
                                            "track fragment", "track fragment, later ones",
                                            "sub-track"};

void ShowLevelAssignment(const LevelAssignmentBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddNumber("level_count", box.level_count);
    for (size_t i = 0; i < box.levels.size(); ++i) {
        const LevelAssignmentBox::Level& level = box.levels[i];
        Layer::ItemWriter item = l.BeginItem();
        item.Text("level ").Unsigned(i + 1).Value();
        item.Text("track_ID : ").Unsigned(level.track_ID);
        item.Text(", padding_flag : ").Unsigned(level.padding_flag);
        item.Text(", assignment_type : ").Unsigned(level.assignment_type);
        item.Text(" (").Text(kAssignmentTypes[level.assignment_type]).Char(')');
        if (level.assignment_type <= 1)
            item.Text(", grouping_type : ").Text(CodeText(level.grouping_type));
        if (level.assignment_type == 1)
            item.Text(", grouping_type_parameter : ").Unsigned(level.grouping_type_parameter);
        if (level.assignment_type == 4) item.Text(", sub_track_ID : ").Unsigned(level.sub_track_ID);
    }
    if (box.reservedType)
        l.AddItem("assignment_type", StrFormat("reserved in level %zu: the levels from there on "
                                               "cannot be read",
                                               box.levels.size() + 1));
}

void ShowTrackExtensionProperties(const TrackExtensionPropertiesBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("track_ID", box.track_ID);
}

// ---- Smooth Streaming ----

void ShowPiffTrackEncryption(const PiffTrackEncryptionBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddItem("default_AlgorithmID",
              StrFormat("%u (%s)", box.default_AlgorithmID,
                        box.default_AlgorithmID == 0   ? "not encrypted"
                        : box.default_AlgorithmID == 1 ? "AES 128-bit in CTR mode"
                        : box.default_AlgorithmID == 2 ? "AES 128-bit in CBC mode"
                                                       : "reserved"));
    l.AddNumber("default_IV_size", box.default_IV_size);
    AddUuidItem(l, "default_KID", box.default_KID);
}

void ShowPiffFragmentTime(const PiffFragmentTimeBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("FragmentAbsoluteTime", static_cast<int64_t>(box.FragmentAbsoluteTime));
    t.contents.AddNumber("FragmentDuration", static_cast<int64_t>(box.FragmentDuration));
}

void ShowPiffFragmentReference(const PiffFragmentReferenceBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("FragmentCount", box.FragmentCount);
    for (size_t i = 0; i < box.fragments.size(); ++i) {
        const PiffFragmentReferenceBox::Fragment& f = box.fragments[i];
        t.contents.BeginItem()
            .Text("fragment ")
            .Unsigned(i + 1)
            .Value()
            .Text("FragmentAbsoluteTime : ")
            .Unsigned(f.FragmentAbsoluteTime)
            .Text(", FragmentDuration : ")
            .Unsigned(f.FragmentDuration);
    }
}

struct PiffBox {
    Uuid userType;
    const char* name;
};

constexpr PiffBox kPiffBoxes[] = {
    {PiffUuid::SampleEncryption, "PIFF Sample Encryption"},
    {PiffUuid::TrackEncryption, "PIFF Track Encryption"},
    {PiffUuid::ProtectionSystemHeader, "PIFF Protection System Specific Header"},
    {PiffUuid::FragmentTime, "Smooth Streaming Fragment Time ('tfxd')"},
    {PiffUuid::FragmentReference, "Smooth Streaming Fragment Reference ('tfrf')"},
};

// The boxes of Smooth Streaming, named after their extended type and shown as their ISO
// counterparts; any other 'uuid' is left to the classic showing.
bool ShowPiff(const Box& box, const ViewBoxTarget& t) {
    if (dynamic_cast<const FullBox*>(&box) == nullptr) return false;
    const PiffBox* piff = nullptr;
    for (const PiffBox& candidate : kPiffBoxes)
        if (std::equal(candidate.userType.begin(), candidate.userType.end(), box.userType))
            piff = &candidate;
    if (piff == nullptr) return false;
    WriteUuid(t.contents.BeginItem().Text("UUID").Value().Text("0x"), box.userType);
    t.contents.AddItem("extended type", piff->name);
    if (const auto* senc = dynamic_cast<const SampleEncryptionBox*>(&box))
        ShowSampleEncryption(*senc, t);
    else if (const auto* tenc = dynamic_cast<const PiffTrackEncryptionBox*>(&box))
        ShowPiffTrackEncryption(*tenc, t);
    else if (const auto* pssh = dynamic_cast<const ProtectionSystemSpecificHeaderBox*>(&box))
        ShowProtectionSystemHeader(*pssh, t);
    else if (const auto* tfxd = dynamic_cast<const PiffFragmentTimeBox*>(&box))
        ShowPiffFragmentTime(*tfxd, t);
    else if (const auto* tfrf = dynamic_cast<const PiffFragmentReferenceBox*>(&box))
        ShowPiffFragmentReference(*tfrf, t);
    return true;
}

constexpr CViewBoxTable kRows{
    Row<FileTypeBox, ShowSegmentType>(BoxId::Styp),
    Row<SegmentIndexBox, ShowSegmentIndex>(BoxId::Sidx),
    Row<TrackFragmentBaseMediaDecodeTimeBox, ShowDecodeTime>(BoxId::Tfdt),
    Row<EventMessageBox, ShowEventMessage>(BoxId::Emsg),
    Row<ProducerReferenceTimeBox, ShowProducerReferenceTime>(BoxId::Prft),
    Row<SchemeTypeBox, ShowSchemeType>(BoxId::Schm),
    Row<TrackEncryptionBox, ShowTrackEncryption>(BoxId::Tenc),
    Row<ProtectionSystemSpecificHeaderBox, ShowProtectionSystemHeader>(BoxId::Pssh),
    Row<SampleAuxiliaryInformationSizesBox, ShowAuxiliaryInformationSizes>(BoxId::Saiz),
    Row<SampleAuxiliaryInformationOffsetsBox, ShowAuxiliaryInformationOffsets>(BoxId::Saio),
    Row<SampleEncryptionBox, ShowSampleEncryption>(BoxId::Senc),
    Row<SubsegmentIndexBox, ShowSubsegmentIndex>(BoxId::Ssix),
    Row<LevelAssignmentBox, ShowLevelAssignment>(BoxId::Leva),
    Row<TrackExtensionPropertiesBox, ShowTrackExtensionProperties>(BoxId::Trep),
    ViewBoxRow{BoxId::Uuid, &ShowPiff, true},
};

}  // namespace

CStreamingViewBoxHandler::CStreamingViewBoxHandler() : CViewBoxTableHandler(kRows) {}

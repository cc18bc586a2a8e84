#include "presentation/StreamingViewBoxHandler.h"

#include <chrono>
#include <cstring>
#include <string>
#include <string_view>

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
};

}  // namespace

CStreamingViewBoxHandler::CStreamingViewBoxHandler() : CViewBoxTableHandler(kRows) {}

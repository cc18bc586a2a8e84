#include "presentation/3GPPViewBoxHandler.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/3GPPBoxes.h"
#include "model/BoxCatalogue.h"
#include "model/Format.h"
#include "model/SampleEntries.h"
#include "model/TextConversion.h"
#include "presentation/ISOViewBox.h"
#include "presentation/MPEG4AudioText.h"
#include "presentation/ViewBoxTable.h"

using namespace ISOFileFormat;

namespace {

// ---- Text helpers ----

// A four-character code (or any short byte string of a record) as text: at most `count` bytes,
// ending at the first zero byte.
std::string CodeText(const uint8_t* bytes, size_t count = 4) {
    return BoundedLatin1Text(bytes, count);
}

// The language letters of an asset box.
std::string LanguageText(const uint8_t language[3]) {
    return CodeText(language, 3);
}

// One item whose value is "0x" and every byte as two upper-case hexadecimal digits ("0x" alone
// for no bytes). Parameter sets and hint data can be long, so the digits go straight into the
// layer.
void AddHexDump(CItemTextWriter& item, const std::vector<uint8_t>& bytes) {
    item.Value().HexBytes(bytes);
}

void AddHexDumpItem(CISOViewBoxItemLayer& items, std::string_view label,
                    const std::vector<uint8_t>& bytes) {
    AddHexDump(items.BeginItem().Text(label), bytes);
}

// ---- Track selection attributes (3GPP TS 26.244) ----

struct AttributeExplanation {
    const char* code;  // lower case
    const char* explanation;
};

constexpr AttributeExplanation kAttributeExplanations[] = {
    {"lang",
     "(Language, Value of grouping type LANG of \"alt-group\" attribute in session-level SDP)"},
    {"bwas", "(Bandwidth, Value of \"b=AS\" attribute in media-level SDP"},
    {"cdec", "(Codec, SampleEntry (in Sample Description box of media track))"},
    {"scsz",
     "(Screen size, Width and height fields of MP4VisualSampleEntry and H263SampleEntry(in "
     "media track))"},
    {"mpsz", "(Max packet size, Maxpacketsize field in RTPHintSampleEntry)"},
    {"mtyp", "(Media type, Handlertype in Handler box (of media track))"},
};

// The explanation of an attribute code, compared without regard to the case of A to Z; empty
// for a code we do not know.
std::string_view AttributeExplanationOf(const std::array<uint8_t, 4>& attribute) {
    for (const AttributeExplanation& known : kAttributeExplanations) {
        bool same = true;
        for (size_t i = 0; i < 4 && same; ++i) {
            uint8_t c = attribute[i];
            if (c >= 'A' && c <= 'Z') c = static_cast<uint8_t>(c - 'A' + 'a');
            same = c == static_cast<uint8_t>(known.code[i]);
        }
        if (same) return known.explanation;
    }
    return {};
}

// ---- Sample entries ----

void ShowMP4VisualEntry(const VisualSampleEntry& e, const ViewBoxTarget& t) {
    t.contents.AddNumber("Width", e.width);
    t.contents.AddNumber("Height", e.height);
}

void ShowH263Entry(const VisualSampleEntry& e, const ViewBoxTarget& t) {
    t.contents.AddNumber("Data-reference-index", e.data_reference_index);
    t.contents.AddNumber("Width", e.width);
    t.contents.AddNumber("Height", e.height);
}

// The integer part of the 16.16 rate.
int64_t Samplerate(const AudioSampleEntry& e) {
    return e.samplerate >> 16;
}

void ShowMP4AudioEntry(const AudioSampleEntry& e, const ViewBoxTarget& t) {
    t.contents.AddNumber("Samplerate", Samplerate(e));
}

void ShowAMREntry(const AudioSampleEntry& e, const ViewBoxTarget& t) {
    t.contents.AddNumber("Data-reference-index", e.data_reference_index);
    t.contents.AddNumber("Samplerate", Samplerate(e));
}

void ShowHintEntry(const HintSampleEntry& e, const ViewBoxTarget& t) {
    t.contents.AddNumber("data_reference_index", e.data_reference_index);
    AddHexDumpItem(t.contents, "data", e.data);
}

void ShowTextEntry(const TextSampleEntry& e, const ViewBoxTarget& t) {
    t.contents.AddItem("displayFlags", StrFormat("0x%08X", e.displayFlags));
    t.contents.AddNumber("horizontal-justification", e.horizontal_justification);
    t.contents.AddNumber("vertical-justification", e.vertical_justification);
    const uint8_t* rgba = e.background_color_rgba;
    t.contents.AddItem("background-color-rgba",
                       StrFormat("R 0x%02x(%d), G 0x%02x(%d), B 0x%02x(%d), A 0x%02x(%d)", rgba[0],
                                 rgba[0], rgba[1], rgba[1], rgba[2], rgba[2], rgba[3], rgba[3]));
    const TextSampleEntry::BoxRecord& box = e.default_text_box;
    t.contents.AddItem("default-text-box", StrFormat("top %d, left %d, bottom %d, right %d",
                                                     box.top, box.left, box.bottom, box.right));
    // The style's text colour is not part of the line.
    const TextSampleEntry::StyleRecord& style = e.default_style;
    t.contents.AddItem("default-style",
                       StrFormat("startChar %d, endChar %d, font-ID %d, face-style-flags 0x%0X, "
                                 "font-size %d",
                                 style.startChar, style.endChar, style.font_ID,
                                 style.face_style_flags, style.font_size));
}

// ---- Codec configuration ----

void ShowAudioSpecificInfo(const ESDescriptorBox& b, CISOViewBoxItemLayer& items) {
    items.AddNumber("audioObjectType", b.audioObjectType);
    items.AddItem("samplingFrequencyIndex", SamplingFrequencyText(b.samplingFrequencyIndex));
    items.AddItem("channelConfiguration", ChannelConfigurationText(b.channelConfiguration));
    if (b.syncExtensionType == 0x2B7) {
        items.AddNumber("syncExtensionType", 0x2B7);
        items.AddNumber("extensionAudioObjectType",
                        static_cast<int8_t>(b.extensionAudioObjectType));
        if (b.extensionAudioObjectType == 5) {  // SBR
            if (b.sbrPresentFlag != 0) items.AddHeading("for High Efficiency AAC Profile");
            items.AddNumber("sbrPresentFlag", b.sbrPresentFlag);
            items.AddItem("extensionSamplingFrequencyIndex",
                          SamplingFrequencyText(b.extensionSamplingFrequencyIndex));
        }
    }
    if (b.syncExtensionType2 == 0x548) {  // parametric stereo
        if (b.psPresentFlag != 0) items.AddHeading("for High Efficiency AAC v2 Profile (EAAC+)");
        items.AddNumber("syncExtensionType", static_cast<int16_t>(b.syncExtensionType2));
        items.AddNumber("psPresentFlag", b.psPresentFlag);
    }
}

void ShowVisualSpecificInfo(const ESDescriptorBox& b, CISOViewBoxItemLayer& items) {
    items.AddItem("visual_object_sequence_start_code",
                  StrFormat("0x%08X", b.visual_object_sequence_start_code));
    const uint8_t profileLevel = b.profile_and_level_indication;
    std::string profileText;
    if ((profileLevel & 0x80) != 0) {
        profileText = (profileLevel & 0x0F) == 5
                          ? StrFormat("0x%02X (4:2:2 Profile @ Main Level)", profileLevel)
                          : StrFormat("0x%02X", profileLevel);
    } else {
        profileText = StrFormat("0x%02X (Profile %d, Level %d)", profileLevel, profileLevel >> 4,
                                profileLevel & 0x0F);
    }
    items.AddItem("profile_and_level_indication", profileText);
    items.AddItem("VisualObject()", "Not supported by this version");
    items.AddItem("visual_object_sequence_end_code",
                  StrFormat("0x%08X", b.visual_object_sequence_end_code));
}

void ShowESDescriptor(const ESDescriptorBox& b, const ViewBoxTarget& t) {
    t.contents.AddHeading("ES_Descriptor");
    t.contents.AddItem("ES_ID", StrFormat("0x%02X (%d)", b.ES_ID, b.ES_ID));
    t.contents.AddNumber("streamDependenceFlag", b.streamDependenceFlag);
    t.contents.AddNumber("URL_Flag", b.URL_Flag);
    t.contents.AddNumber("OCRstreamFlag", b.OCRstreamFlag);
    t.contents.AddNumber("streamPriority", b.streamPriority);

    t.contents.AddHeading("DecoderConfigDescriptor");
    const uint8_t objectType = b.objectTypeIndication;
    if (objectType == 0x20)
        t.contents.AddItem("objectTypeIndication", StrFormat("MPEG-4 Visual (0x%X)", objectType));
    else if (objectType == 0x40)
        t.contents.AddItem("objectTypeIndication", StrFormat("MPEG-4 Audio (0x%X)", objectType));
    else
        t.contents.AddItem(
            "objectTypeIndication",
            StrFormat("0x%X (%d) - Warning! Check this value!", objectType, objectType));
    if (b.streamType == 4)
        t.contents.AddItem("streamType", StrFormat("VisualStream (0x%X)", b.streamType));
    else if (b.streamType == 5)
        t.contents.AddItem("streamType", StrFormat("AudioStream (0x%X)", b.streamType));
    else
        t.contents.AddItem("streamType", StrFormat("0x%X (?)", b.streamType));
    t.contents.AddNumber("upStream", b.upStream);
    t.contents.AddNumber("bufferSizeDB", b.bufferSizeDB);
    t.contents.AddNumber("maxBitrate", b.maxBitrate);
    t.contents.AddNumber("avgBitrate", b.avgBitrate);

    // Which half of the record to show follows the object type alone: every object type but
    // MPEG-4 Audio shows the visual fields, zero when the parser did not fill them.
    t.contents.AddHeading("DecoderSpecificInfo");
    if (objectType == 0x40)
        ShowAudioSpecificInfo(b, t.contents);
    else
        ShowVisualSpecificInfo(b, t.contents);

    // MP4 files always use the predefined SL configuration 2 (ISO/IEC 14496-14); the parser does
    // not keep the byte.
    t.contents.AddHeading("SLConfigDescriptor");
    t.contents.AddNumber("predefined", 2);
}

void ShowAVCConfiguration(const AVCConfigurationBox& b, const ViewBoxTarget& t) {
    ShowAVCConfigurationFields(b, t.contents);
}

void ShowAMRSpecific(const AMRSpecificBox& b, const ViewBoxTarget& t) {
    t.contents.AddItem("vendor", StrFormat("'%s'", CodeText(b.vendor).c_str()));
    t.contents.AddNumber("decoder_version", b.decoder_version);
    t.contents.AddNumber("mode_set", b.mode_set);
    t.contents.AddNumber("mode_change_period", b.mode_change_period);
    t.contents.AddNumber("frames_per_sample", b.frames_per_sample);
}

void ShowH263Specific(const H263SpecificBox& b, const ViewBoxTarget& t) {
    t.contents.AddItem("vendor", StrFormat("'%s'", CodeText(b.vendor).c_str()));
    t.contents.AddNumber("decoder_version", b.decoder_version);
    t.contents.AddNumber("H263_Level", b.H263_Level);
    t.contents.AddNumber("H263_Profile", b.H263_Profile);
}

void ShowMPEG4BitRate(const MPEG4BitRateBox& b, const ViewBoxTarget& t) {
    t.contents.AddNumber("bufferSizeDB", b.bufferSizeDB);
    t.contents.AddNumber("maxBitrate", b.maxBitrate);
    t.contents.AddNumber("avgBitrate", b.avgBitrate);
}

// ---- Asset boxes ----
// Their texts keep the terminating zero character a file may hold; only what precedes it is
// shown.

void ShowLanguageAndText(const uint8_t language[3], const char* label, const std::string& text,
                         CISOViewBoxItemLayer& items) {
    items.AddItem("language", LanguageText(language));
    items.AddItem(label, TextBeforeZero(text));
}

void ShowRating(const RatingBox& b, const ViewBoxTarget& t) {
    t.contents.AddItem("RatingEntity", CodeText(b.RatingEntity));
    t.contents.AddItem("RatingCriteria", CodeText(b.RatingCriteria));
    t.contents.AddItem("Language", LanguageText(b.language));
    t.contents.AddItem("RatingInfo", TextBeforeZero(b.RatingInfo));
}

void ShowClassification(const ClassificationBox& b, const ViewBoxTarget& t) {
    t.contents.AddItem("ClassificationEntity", CodeText(b.ClassificationEntity));
    t.contents.AddNumber("ClassificationTable", b.ClassificationTable);
    t.contents.AddItem("Language", LanguageText(b.language));
    t.contents.AddItem("RatingInfo", TextBeforeZero(b.ClassificationInfo));
}

void ShowKeywords(const KeywordsBox& b, const ViewBoxTarget& t) {
    t.contents.AddItem("Language", LanguageText(b.language));
    t.contents.AddNumber("KeywordCnt", b.KeywordCnt);
    if (b.KeywordCnt == 0) return;
    t.contents.AddHeading("Keywords");
    // The keywords actually read: a box that ends early holds fewer than it declares.
    int32_t number = 1;
    for (const KeywordsBox::KeywordEntry& keyword : b.keywords)
        t.contents.AddItem(StrFormat("Keywords %d", number++), TextBeforeZero(keyword.KeywordInfo));
}

void ShowLocation(const LocationInformationBox& b, const ViewBoxTarget& t) {
    t.contents.AddItem("Language", LanguageText(b.language));
    t.contents.AddItem("Name", TextBeforeZero(b.Name));
    t.contents.AddNumber("Role", b.Role);
    t.contents.AddFixed16("Longitude", b.Longitude);
    t.contents.AddFixed16("Latitude", b.Latitude);
    t.contents.AddFixed16("altitude", b.altitude);
    t.contents.AddItem("Astronomical_body", TextBeforeZero(b.Astronomical_body));
    t.contents.AddItem("Additional_notes", TextBeforeZero(b.Additional_notes));
}

void ShowAlbum(const AlbumBox& b, const ViewBoxTarget& t) {
    t.contents.AddItem("Language", LanguageText(b.language));
    t.contents.AddItem("AlbumTitle", TextBeforeZero(b.AlbumTitle));
    t.contents.AddNumber("TrackNumber", b.TrackNumber);
}

void ShowRecordingYear(const RecordingYearBox& b, const ViewBoxTarget& t) {
    t.contents.AddNumber("RecordingYear", b.RecordingYear);
}

void ShowAuthor(const AuthorBox& b, const ViewBoxTarget& t) {
    ShowLanguageAndText(b.language, "author", b.author, t.contents);
}

void ShowTitle(const TitleBox& b, const ViewBoxTarget& t) {
    ShowLanguageAndText(b.language, "title", b.title, t.contents);
}

void ShowDescription(const DescriptionBox& b, const ViewBoxTarget& t) {
    ShowLanguageAndText(b.language, "description", b.description, t.contents);
}

void ShowPerformer(const PerformerBox& b, const ViewBoxTarget& t) {
    ShowLanguageAndText(b.language, "performer", b.performer, t.contents);
}

void ShowGenre(const GenreBox& b, const ViewBoxTarget& t) {
    ShowLanguageAndText(b.language, "genre", b.genre, t.contents);
}

// ---- Track selection and hint information ----

void ShowTrackSelection(const TrackSelectionBox& b, const ViewBoxTarget& t) {
    t.contents.AddItem("SwitchGroup",
                       b.SwitchGroup == 0
                           ? StrFormat("%d (not intended for switching)", b.SwitchGroup)
                           : StrFormat("%d", b.SwitchGroup));
    t.contents.AddHeading("AttributeList");
    int32_t number = 1;
    for (const std::array<uint8_t, 4>& attribute : b.AttributeList) {
        std::string value = CodeText(attribute.data());
        value += AttributeExplanationOf(attribute);
        t.contents.AddItem(StrFormat("Attribute %d", number++), value);
    }
}

// One item per line of the text that ends in "\r\n": "SDP" for the first, " " for the others.
// The text is not terminated, so the search never goes past its kept length; what follows the
// last "\r\n" is not a whole line and is not shown. A zero byte ends a line's text, as it ends
// every other byte string shown from a record.
void ShowSDPLines(const std::vector<uint8_t>& text, CISOViewBoxItemLayer& items) {
    const size_t length = text.size();
    size_t lineStart = 0;
    bool first = true;
    for (size_t i = 0; i + 1 < length; ++i) {
        if (text[i] != '\r' || text[i + 1] != '\n') continue;
        items.AddItem(first ? "SDP" : " ",
                      Latin1CStringToUtf8(text.data() + lineStart, i - lineStart));
        first = false;
        lineStart = i + 2;
        ++i;
    }
}

void ShowRTPMovieHint(const RTPMovieHintInformation& b, const ViewBoxTarget& t) {
    t.contents.AddItem("descriptionformat", CodeText(b.descriptionformat));
    ShowSDPLines(b.sdptext, t.contents);
}

void ShowRTPTrackSDPHint(const RTPTrackSDPHintInformation& b, const ViewBoxTarget& t) {
    ShowSDPLines(b.sdptext, t.contents);
}

// The generic sample entries and 'uuid' are the ISO handler's; 'ftab', 'hnti', 'bitr', 'dawp',
// 'sawp', 'avc1' and 'm4ds' are shown by no handler.
constexpr CViewBoxTable kRows{
    Row<VisualSampleEntry, ShowMP4VisualEntry>(BoxId::Mp4v),
    Row<VisualSampleEntry, ShowH263Entry>(BoxId::S263),
    Row<AudioSampleEntry, ShowMP4AudioEntry>(BoxId::Mp4a),
    // AMR-WB ('sawb') entries are given the AMR id too.
    Row<AudioSampleEntry, ShowAMREntry>(BoxId::Samr),
    Row<HintSampleEntry, ShowHintEntry>(BoxId::HintSampleEntry),
    Row<TextSampleEntry, ShowTextEntry>(BoxId::Tx3g),
    Row<ESDescriptorBox, ShowESDescriptor>(BoxId::Esds),
    Row<AVCConfigurationBox, ShowAVCConfiguration>(BoxId::AvcC),
    Row<AMRSpecificBox, ShowAMRSpecific>(BoxId::Damr),
    Row<H263SpecificBox, ShowH263Specific>(BoxId::D263),
    Row<MPEG4BitRateBox, ShowMPEG4BitRate>(BoxId::Btrt),
    Row<AuthorBox, ShowAuthor>(BoxId::Auth),
    Row<TitleBox, ShowTitle>(BoxId::Titl),
    Row<DescriptionBox, ShowDescription>(BoxId::Dscp),
    Row<PerformerBox, ShowPerformer>(BoxId::Perf),
    Row<GenreBox, ShowGenre>(BoxId::Gnre),
    Row<RatingBox, ShowRating>(BoxId::Rtng),
    Row<ClassificationBox, ShowClassification>(BoxId::Clsf),
    Row<KeywordsBox, ShowKeywords>(BoxId::Kywd),
    Row<LocationInformationBox, ShowLocation>(BoxId::Loci),
    Row<AlbumBox, ShowAlbum>(BoxId::Albm),
    Row<RecordingYearBox, ShowRecordingYear>(BoxId::Yrrc),
    Row<TrackSelectionBox, ShowTrackSelection>(BoxId::Tsel),
    Row<RTPMovieHintInformation, ShowRTPMovieHint>(BoxId::Rtp),
    Row<RTPTrackSDPHintInformation, ShowRTPTrackSDPHint>(BoxId::Sdp),
};

}  // namespace

C3GPPViewBoxHandler::C3GPPViewBoxHandler() : CViewBoxTableHandler(kRows) {}

void ShowParameterSets(const std::vector<AVCConfigurationBox::ParameterSet>& sets,
                       CISOViewBoxItemLayer& items) {
    int64_t index = 0;
    for (const AVCConfigurationBox::ParameterSet& set : sets)
        AddHexDump(items.BeginItem().Char('[').Signed(index++).Char(']'), set.nalUnit);
}

void ShowAVCConfigurationFields(const AVCConfigurationBox& b, CISOViewBoxItemLayer& items) {
    items.AddNumber("configurationVersion", b.configurationVersion);
    items.AddNumber("AVCProfileIndication", b.AVCProfileIndication);
    items.AddNumber("profile_compatibility", b.profile_compatibility);
    items.AddNumber("AVCLevelIndication", b.AVCLevelIndication);
    items.AddNumber("lengthSizeMinusOne", b.lengthSizeMinusOne);
    items.AddNumber("numOfSequenceParameterSets", b.numOfSequenceParameterSets);
    items.AddHeading("Sequence Parameter Sets");
    ShowParameterSets(b.sequenceParameterSets, items);
    items.AddHeading("");
    items.AddNumber("numOfPicutreParamterSets", b.numOfPicutreParamterSets);
    items.AddHeading("Picture Parameter Sets");
    ShowParameterSets(b.pictureParameterSets, items);
}

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

using namespace ISOFileFormat;

namespace {

// Catalogue ids of the records this handler shows.

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
void AddHexDump(CISOViewBoxItemLayer::ItemWriter& item, const std::vector<uint8_t>& bytes) {
    item.Value().Text("0x");
    for (const uint8_t byte : bytes)
        item.Hex(byte, 2);
}

void AddHexDumpItem(CISOViewBoxItemLayer& items, std::string_view label,
                    const std::vector<uint8_t>& bytes) {
    AddHexDump(items.BeginItem().Text(label), bytes);
}

// ---- MPEG-4 audio tables (ISO/IEC 14496-3) ----

constexpr int32_t kSamplingFrequencies[13] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                              22050, 16000, 12000, 11025, 8000,  7350};

// "0x%X (frequency : %d)". Indexes 13 and 14 are reserved by ISO/IEC 14496-3, and 15 is the
// escape that announces an explicit 24-bit frequency, which the fixed-form reading of the
// AudioSpecificConfig does not decode: for those no number would be true, so they say why.
std::string SamplingFrequencyText(uint8_t index) {
    if (index < 13) return StrFormat("0x%X (frequency : %d)", index, kSamplingFrequencies[index]);
    if (index == 15) return StrFormat("0x%X (frequency : escape value, not read)", index);
    return StrFormat("0x%X (frequency : reserved)", index);
}

struct ChannelConfiguration {
    const char* count;
    const char* layout;
};

constexpr ChannelConfiguration kChannelConfigurations[8] = {
    {"-", "Set GASpecificConfig"},
    {"1", "Center of the front"},
    {"2", "Right and left of the front"},
    {"3", "Center, right and left of the front"},
    {"4", "Center, right and left of the front, and center of bacward"},
    {"5", "Center, right and left of the front, and right and left of bacward"},
    {"5+1",
     "Center, right and left of the front, and right and left of bacward, and front for bass"},
    {"7+1",
     "Center, right and left of the front, right and left of front outward, and right and left "
     "of bacward, and front for bass"},
};

std::string ChannelConfigurationText(uint8_t value) {
    // The parser keeps three bits; anything wider would be a reserved configuration.
    if (value >= 8) return StrFormat("%d (? channel(s), reserved)", value);
    const ChannelConfiguration& c = kChannelConfigurations[value];
    return StrFormat("%d (%s channel(s), %s)", value, c.count, c.layout);
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

void ShowMP4VisualEntry(const VisualSampleEntry& e, CISOViewBoxItemLayer& items) {
    items.AddNumber("Width", e.width);
    items.AddNumber("Height", e.height);
}

void ShowH263Entry(const VisualSampleEntry& e, CISOViewBoxItemLayer& items) {
    items.AddNumber("Data-reference-index", e.data_reference_index);
    items.AddNumber("Width", e.width);
    items.AddNumber("Height", e.height);
}

// The integer part of the 16.16 rate.
int64_t Samplerate(const AudioSampleEntry& e) {
    return e.samplerate >> 16;
}

void ShowMP4AudioEntry(const AudioSampleEntry& e, CISOViewBoxItemLayer& items) {
    items.AddNumber("Samplerate", Samplerate(e));
}

void ShowAMREntry(const AudioSampleEntry& e, CISOViewBoxItemLayer& items) {
    items.AddNumber("Data-reference-index", e.data_reference_index);
    items.AddNumber("Samplerate", Samplerate(e));
}

void ShowHintEntry(const HintSampleEntry& e, CISOViewBoxItemLayer& items) {
    items.AddNumber("data_reference_index", e.data_reference_index);
    AddHexDumpItem(items, "data", e.data);
}

void ShowTextEntry(const TextSampleEntry& e, CISOViewBoxItemLayer& items) {
    items.AddItem("displayFlags", StrFormat("0x%08X", e.displayFlags));
    items.AddNumber("horizontal-justification", e.horizontal_justification);
    items.AddNumber("vertical-justification", e.vertical_justification);
    const uint8_t* rgba = e.background_color_rgba;
    items.AddItem("background-color-rgba",
                  StrFormat("R 0x%02x(%d), G 0x%02x(%d), B 0x%02x(%d), A 0x%02x(%d)", rgba[0],
                            rgba[0], rgba[1], rgba[1], rgba[2], rgba[2], rgba[3], rgba[3]));
    const TextSampleEntry::BoxRecord& box = e.default_text_box;
    items.AddItem("default-text-box", StrFormat("top %d, left %d, bottom %d, right %d", box.top,
                                                box.left, box.bottom, box.right));
    // The style's text colour is not part of the line.
    const TextSampleEntry::StyleRecord& style = e.default_style;
    items.AddItem("default-style",
                  StrFormat("startChar %d, endChar %d, font-ID %d, face-style-flags 0x%0X, "
                            "font-size %d",
                            style.startChar, style.endChar, style.font_ID, style.face_style_flags,
                            style.font_size));
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

void ShowESDescriptor(const ESDescriptorBox& b, CISOViewBoxItemLayer& items) {
    items.AddHeading("ES_Descriptor");
    items.AddItem("ES_ID", StrFormat("0x%02X (%d)", b.ES_ID, b.ES_ID));
    items.AddNumber("streamDependenceFlag", b.streamDependenceFlag);
    items.AddNumber("URL_Flag", b.URL_Flag);
    items.AddNumber("OCRstreamFlag", b.OCRstreamFlag);
    items.AddNumber("streamPriority", b.streamPriority);

    items.AddHeading("DecoderConfigDescriptor");
    const uint8_t objectType = b.objectTypeIndication;
    if (objectType == 0x20)
        items.AddItem("objectTypeIndication", StrFormat("MPEG-4 Visual (0x%X)", objectType));
    else if (objectType == 0x40)
        items.AddItem("objectTypeIndication", StrFormat("MPEG-4 Audio (0x%X)", objectType));
    else
        items.AddItem("objectTypeIndication",
                      StrFormat("0x%X (%d) - Warning! Check this value!", objectType, objectType));
    if (b.streamType == 4)
        items.AddItem("streamType", StrFormat("VisualStream (0x%X)", b.streamType));
    else if (b.streamType == 5)
        items.AddItem("streamType", StrFormat("AudioStream (0x%X)", b.streamType));
    else
        items.AddItem("streamType", StrFormat("0x%X (?)", b.streamType));
    items.AddNumber("upStream", b.upStream);
    items.AddNumber("bufferSizeDB", b.bufferSizeDB);
    items.AddNumber("maxBitrate", b.maxBitrate);
    items.AddNumber("avgBitrate", b.avgBitrate);

    // Which half of the record to show follows the object type alone: every object type but
    // MPEG-4 Audio shows the visual fields, zero when the parser did not fill them.
    items.AddHeading("DecoderSpecificInfo");
    if (objectType == 0x40)
        ShowAudioSpecificInfo(b, items);
    else
        ShowVisualSpecificInfo(b, items);

    // MP4 files always use the predefined SL configuration 2 (ISO/IEC 14496-14); the parser does
    // not keep the byte.
    items.AddHeading("SLConfigDescriptor");
    items.AddNumber("predefined", 2);
}

void ShowParameterSets(const std::vector<AVCConfigurationBox::ParameterSet>& sets,
                       CISOViewBoxItemLayer& items) {
    int64_t index = 0;
    for (const AVCConfigurationBox::ParameterSet& set : sets)
        AddHexDump(items.BeginItem().Char('[').Signed(index++).Char(']'), set.nalUnit);
}

void ShowAVCConfiguration(const AVCConfigurationBox& b, CISOViewBoxItemLayer& items) {
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

void ShowAMRSpecific(const AMRSpecificBox& b, CISOViewBoxItemLayer& items) {
    items.AddItem("vendor", StrFormat("'%s'", CodeText(b.vendor).c_str()));
    items.AddNumber("decoder_version", b.decoder_version);
    items.AddNumber("mode_set", b.mode_set);
    items.AddNumber("mode_change_period", b.mode_change_period);
    items.AddNumber("frames_per_sample", b.frames_per_sample);
}

void ShowH263Specific(const H263SpecificBox& b, CISOViewBoxItemLayer& items) {
    items.AddItem("vendor", StrFormat("'%s'", CodeText(b.vendor).c_str()));
    items.AddNumber("decoder_version", b.decoder_version);
    items.AddNumber("H263_Level", b.H263_Level);
    items.AddNumber("H263_Profile", b.H263_Profile);
}

void ShowMPEG4BitRate(const MPEG4BitRateBox& b, CISOViewBoxItemLayer& items) {
    items.AddNumber("bufferSizeDB", b.bufferSizeDB);
    items.AddNumber("maxBitrate", b.maxBitrate);
    items.AddNumber("avgBitrate", b.avgBitrate);
}

// ---- Asset boxes ----
// Their texts keep the terminating zero character a file may hold; only what precedes it is
// shown.

void ShowLanguageAndText(const uint8_t language[3], const char* label, const std::string& text,
                         CISOViewBoxItemLayer& items) {
    items.AddItem("language", LanguageText(language));
    items.AddItem(label, TextBeforeZero(text));
}

void ShowRating(const RatingBox& b, CISOViewBoxItemLayer& items) {
    items.AddItem("RatingEntity", CodeText(b.RatingEntity));
    items.AddItem("RatingCriteria", CodeText(b.RatingCriteria));
    items.AddItem("Language", LanguageText(b.language));
    items.AddItem("RatingInfo", TextBeforeZero(b.RatingInfo));
}

void ShowClassification(const ClassificationBox& b, CISOViewBoxItemLayer& items) {
    items.AddItem("ClassificationEntity", CodeText(b.ClassificationEntity));
    items.AddNumber("ClassificationTable", b.ClassificationTable);
    items.AddItem("Language", LanguageText(b.language));
    items.AddItem("RatingInfo", TextBeforeZero(b.ClassificationInfo));
}

void ShowKeywords(const KeywordsBox& b, CISOViewBoxItemLayer& items) {
    items.AddItem("Language", LanguageText(b.language));
    items.AddNumber("KeywordCnt", b.KeywordCnt);
    if (b.KeywordCnt == 0) return;
    items.AddHeading("Keywords");
    // The keywords actually read: a box that ends early holds fewer than it declares.
    int32_t number = 1;
    for (const KeywordsBox::KeywordEntry& keyword : b.keywords)
        items.AddItem(StrFormat("Keywords %d", number++), TextBeforeZero(keyword.KeywordInfo));
}

void ShowLocation(const LocationInformationBox& b, CISOViewBoxItemLayer& items) {
    items.AddItem("Language", LanguageText(b.language));
    items.AddItem("Name", TextBeforeZero(b.Name));
    items.AddNumber("Role", b.Role);
    items.AddFixed16("Longitude", b.Longitude);
    items.AddFixed16("Latitude", b.Latitude);
    items.AddFixed16("altitude", b.altitude);
    items.AddItem("Astronomical_body", TextBeforeZero(b.Astronomical_body));
    items.AddItem("Additional_notes", TextBeforeZero(b.Additional_notes));
}

void ShowAlbum(const AlbumBox& b, CISOViewBoxItemLayer& items) {
    items.AddItem("Language", LanguageText(b.language));
    items.AddItem("AlbumTitle", TextBeforeZero(b.AlbumTitle));
    items.AddNumber("TrackNumber", b.TrackNumber);
}

void ShowRecordingYear(const RecordingYearBox& b, CISOViewBoxItemLayer& items) {
    items.AddNumber("RecordingYear", b.RecordingYear);
}

// ---- Track selection and hint information ----

void ShowTrackSelection(const TrackSelectionBox& b, CISOViewBoxItemLayer& items) {
    items.AddItem("SwitchGroup", b.SwitchGroup == 0
                                     ? StrFormat("%d (not intended for switching)", b.SwitchGroup)
                                     : StrFormat("%d", b.SwitchGroup));
    items.AddHeading("AttributeList");
    int32_t number = 1;
    for (const std::array<uint8_t, 4>& attribute : b.AttributeList) {
        std::string value = CodeText(attribute.data());
        value += AttributeExplanationOf(attribute);
        items.AddItem(StrFormat("Attribute %d", number++), value);
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

void ShowRTPMovieHint(const RTPMovieHintInformation& b, CISOViewBoxItemLayer& items) {
    items.AddItem("descriptionformat", CodeText(b.descriptionformat));
    ShowSDPLines(b.sdptext, items);
}

void ShowRTPTrackSDPHint(const RTPTrackSDPHintInformation& b, CISOViewBoxItemLayer& items) {
    ShowSDPLines(b.sdptext, items);
}

// Shows `box` with `show` when it is the record our parser makes for that id; 0 otherwise.
template <class Record, class Shower>
int32_t Show(const Box& box, CISOViewBoxItemLayer& items, Shower show) {
    const auto* record = dynamic_cast<const Record*>(&box);
    if (record == nullptr) return 0;
    show(*record, items);
    return 1;
}

}  // namespace

int32_t C3GPPViewBoxHandler::FillViewBox(const Box& box, CISOViewBox& viewBox, int32_t& fullBox) {
    CISOViewBoxItemLayer* layer = viewBox.GetContentsLayer();
    if (layer == nullptr) return 0;
    CISOViewBoxItemLayer& items = *layer;
    bool isFullBox = false;
    int32_t shown = 0;
    switch (box.id) {
        case BoxId::Mp4v:
            shown = Show<VisualSampleEntry>(box, items, ShowMP4VisualEntry);
            break;
        case BoxId::S263:
            shown = Show<VisualSampleEntry>(box, items, ShowH263Entry);
            break;
        case BoxId::Mp4a:
            shown = Show<AudioSampleEntry>(box, items, ShowMP4AudioEntry);
            break;
        case BoxId::Samr:  // AMR-WB ('sawb') entries are given this id too
            shown = Show<AudioSampleEntry>(box, items, ShowAMREntry);
            break;
        case BoxId::HintSampleEntry:
            shown = Show<HintSampleEntry>(box, items, ShowHintEntry);
            break;
        case BoxId::Tx3g:
            shown = Show<TextSampleEntry>(box, items, ShowTextEntry);
            break;
        case ESDescriptorBox::kId:
            shown = Show<ESDescriptorBox>(box, items, ShowESDescriptor);
            isFullBox = true;
            break;
        case AVCConfigurationBox::kId:
            shown = Show<AVCConfigurationBox>(box, items, ShowAVCConfiguration);
            break;
        case AMRSpecificBox::kId:
            shown = Show<AMRSpecificBox>(box, items, ShowAMRSpecific);
            break;
        case H263SpecificBox::kId:
            shown = Show<H263SpecificBox>(box, items, ShowH263Specific);
            break;
        case MPEG4BitRateBox::kId:
            shown = Show<MPEG4BitRateBox>(box, items, ShowMPEG4BitRate);
            break;
        case AuthorBox::kId:
            shown = Show<AuthorBox>(box, items, [](const AuthorBox& b, CISOViewBoxItemLayer& i) {
                ShowLanguageAndText(b.language, "author", b.author, i);
            });
            isFullBox = true;
            break;
        case TitleBox::kId:
            shown = Show<TitleBox>(box, items, [](const TitleBox& b, CISOViewBoxItemLayer& i) {
                ShowLanguageAndText(b.language, "title", b.title, i);
            });
            isFullBox = true;
            break;
        case DescriptionBox::kId:
            shown = Show<DescriptionBox>(
                box, items, [](const DescriptionBox& b, CISOViewBoxItemLayer& i) {
                    ShowLanguageAndText(b.language, "description", b.description, i);
                });
            isFullBox = true;
            break;
        case PerformerBox::kId:
            shown =
                Show<PerformerBox>(box, items, [](const PerformerBox& b, CISOViewBoxItemLayer& i) {
                    ShowLanguageAndText(b.language, "performer", b.performer, i);
                });
            isFullBox = true;
            break;
        case GenreBox::kId:
            shown = Show<GenreBox>(box, items, [](const GenreBox& b, CISOViewBoxItemLayer& i) {
                ShowLanguageAndText(b.language, "genre", b.genre, i);
            });
            isFullBox = true;
            break;
        case RatingBox::kId:
            shown = Show<RatingBox>(box, items, ShowRating);
            isFullBox = true;
            break;
        case ClassificationBox::kId:
            shown = Show<ClassificationBox>(box, items, ShowClassification);
            isFullBox = true;
            break;
        case KeywordsBox::kId:
            shown = Show<KeywordsBox>(box, items, ShowKeywords);
            isFullBox = true;
            break;
        case LocationInformationBox::kId:
            shown = Show<LocationInformationBox>(box, items, ShowLocation);
            isFullBox = true;
            break;
        case AlbumBox::kId:
            shown = Show<AlbumBox>(box, items, ShowAlbum);
            isFullBox = true;
            break;
        case RecordingYearBox::kId:
            shown = Show<RecordingYearBox>(box, items, ShowRecordingYear);
            isFullBox = true;
            break;
        case TrackSelectionBox::kId:
            shown = Show<TrackSelectionBox>(box, items, ShowTrackSelection);
            isFullBox = true;
            break;
        case RTPMovieHintInformation::kId:
            shown = Show<RTPMovieHintInformation>(box, items, ShowRTPMovieHint);
            break;
        case RTPTrackSDPHintInformation::kId:
            shown = Show<RTPTrackSDPHintInformation>(box, items, ShowRTPTrackSDPHint);
            break;
        default:
            // The generic sample entries and 'uuid' are the ISO handler's; 'ftab', 'hnti',
            // 'bitr', 'dawp', 'sawp', 'avc1' and 'm4ds' are shown by no handler.
            return 0;
    }
    if (shown == 1 && isFullBox) fullBox = 1;
    return shown;
}

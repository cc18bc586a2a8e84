#include "parsing/3GPPBoxParsingHandler.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "model/3GPPBoxes.h"
#include "model/BoxCatalogue.h"
#include "model/FileReader.h"
#include "model/SampleEntries.h"
#include "model/TextConversion.h"
#include "parsing/PackedLanguage.h"
#include "parsing/SampleEntryReading.h"
#include "parsing/TableReading.h"

using namespace ISOFileFormat;

namespace {

// Bytes of the fixed fields of the text sample entry, which has child boxes after them.
constexpr uint32_t kTextEntryBytes = 38;
constexpr uint32_t kH263SpecificBytes = 7;

// Single-byte texts of the asset boxes are kept in a buffer of this size.
constexpr uint64_t kSingleByteTextBytes = 200;

// The type bytes equal `code`, ignoring the case of the letters A to Z only.
bool TypeIs(const uint8_t* type, const char* code) {
    for (int i = 0; i < 4; ++i) {
        uint8_t a = type[i];
        auto b = static_cast<uint8_t>(code[i]);
        if (a >= 'A' && a <= 'Z') a = static_cast<uint8_t>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<uint8_t>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

// The catalogue id an audio entry of this type is shown as, or 0 when its type is not one
// whose child boxes are known.
int32_t AudioEntryId(const uint8_t* type) {
    if (TypeIs(type, "mp4a")) return BoxId::Mp4a;
    // AMR-WB entries share the AMR entry's id: they are read and shown alike.
    if (TypeIs(type, "samr") || TypeIs(type, "sawb")) return BoxId::Samr;
    if (TypeIs(type, "sawp")) return BoxId::Sawp;
    return 0;
}

int32_t VisualEntryId(const uint8_t* type) {
    if (TypeIs(type, "mp4v")) return BoxId::Mp4v;
    if (TypeIs(type, "s263")) return BoxId::S263;
    if (TypeIs(type, "avc1")) return BoxId::Avc1;
    return 0;
}

// The size byte of an MPEG-4 descriptor: only the one-byte form is understood.
bool IsOneByteSize(uint8_t sizeByte) {
    return (sizeByte & 0x80) == 0;
}

// The ES_Descriptor of ISO/IEC 14496-1 with its decoder configuration. False when a descriptor
// size uses the multi-byte form or the first descriptor is not an ES_Descriptor: the record then
// holds nothing worth keeping.
bool ReadESDescriptor(CFileReader& r, ESDescriptorBox& box) {
    const uint8_t esTag = r.ReadUInt8();
    const uint8_t esSize = r.ReadUInt8();
    if (esTag != 3 || (esSize & 0x7F) == 0 || !IsOneByteSize(esSize)) return false;
    box.ES_ID = r.ReadUInt16();
    const uint8_t esFlags = r.ReadUInt8();
    box.streamDependenceFlag = (esFlags >> 7) & 1;
    box.URL_Flag = (esFlags >> 6) & 1;
    box.OCRstreamFlag = (esFlags >> 5) & 1;
    box.streamPriority = esFlags & 0x1F;
    // The optional fields the flags announce are not kept, but the decoder configuration only
    // starts behind them.
    if (box.streamDependenceFlag) r.Skip(2);  // dependsOn_ES_ID
    if (box.URL_Flag) r.Skip(r.ReadUInt8());  // URLlength, URLstring
    if (box.OCRstreamFlag) r.Skip(2);         // OCR_ES_Id

    r.ReadUInt8();  // DecoderConfigDescriptor tag
    if (!IsOneByteSize(r.ReadUInt8())) return false;
    box.objectTypeIndication = r.ReadUInt8();
    const uint8_t streamByte = r.ReadUInt8();
    box.streamType = streamByte >> 2;
    box.upStream = (streamByte >> 1) & 1;
    box.bufferSizeDB = (uint32_t{r.ReadUInt16()} << 8) | r.ReadUInt8();
    box.maxBitrate = r.ReadUInt32();
    box.avgBitrate = r.ReadUInt32();

    const uint8_t infoTag = r.ReadUInt8();
    const uint8_t infoSize = r.ReadUInt8();
    // A decoder configuration without DecoderSpecificInfo (MP3 streams, for one) goes straight
    // on with the SLConfigDescriptor, whose tag and size these two bytes then are.
    if (infoTag == 5) {
        if (!IsOneByteSize(infoSize)) return false;
        const int32_t infoBytes = infoSize & 0x7F;
        if (box.streamType == 5) {
            // AudioSpecificConfig of ISO/IEC 14496-3, its fixed part and the SBR and PS
            // signalling that may follow it.
            const uint16_t w = r.ReadUInt16();
            box.audioObjectType = static_cast<uint8_t>(w >> 11);
            box.samplingFrequencyIndex = (w >> 7) & 0x0F;
            box.channelConfiguration = (w >> 3) & 0x07;
            box.frameLengthFlag = (w >> 2) & 1;
            box.dependsOnCoreCoder = (w >> 1) & 1;
            box.extensionFlag = w & 1;
            const int32_t bitsLeft = 8 * infoBytes - 16;
            int32_t bytesLeft = bitsLeft / 8;
            if (bitsLeft >= 16) {
                const uint16_t x = r.ReadUInt16();
                bytesLeft -= 2;
                box.syncExtensionType = x >> 5;
                if (box.syncExtensionType == 0x2B7) {
                    box.extensionAudioObjectType = x & 0x1F;
                    if (box.extensionAudioObjectType == 5) {
                        const uint8_t y = r.ReadUInt8();
                        bytesLeft -= 1;
                        box.sbrPresentFlag = y >> 7;
                        if (box.sbrPresentFlag == 1) {
                            box.extensionSamplingFrequencyIndex = (y >> 3) & 0x0F;
                            if (bitsLeft - 21 >= 12) {
                                box.syncExtensionType2 =
                                    static_cast<uint16_t>(((y & 0x07) << 8) | r.ReadUInt8());
                                bytesLeft -= 1;
                                if (box.syncExtensionType2 == 0x548) {
                                    box.psPresentFlag = r.ReadUInt8() >> 7;
                                    bytesLeft -= 1;
                                }
                            }
                        }
                    }
                }
            }
            // Ends at the end of the DecoderSpecificInfo whatever was read: a configuration
            // shorter than what was read moves the position back.
            r.Skip(bytesLeft);
        } else if (box.streamType == 4) {
            box.visual_object_sequence_start_code = r.ReadUInt32();
            box.profile_and_level_indication = r.ReadUInt8();
            r.Skip(infoBytes - 9);  // the visual object, not decoded
            box.visual_object_sequence_end_code = r.ReadUInt32();
        }
        r.ReadUInt8();  // SLConfigDescriptor tag
        r.ReadUInt8();  // its size
    }
    r.ReadUInt8();  // predefined
    return true;
}

}  // namespace

std::string ConvertAssetText(const uint8_t* bytes, size_t count) {
    if (count > 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        return Utf16BEToUtf8(bytes + 2, (count - 2) / 2);
    return SanitizeUtf8(bytes, count);
}

std::span<const BoxParseRow<C3GPPBoxParsingHandler>> C3GPPBoxParsingHandler::Rows() {
    using H = C3GPPBoxParsingHandler;
    static constexpr BoxParseRow<H> kRows[] = {
        {BoxId::AudioSampleEntry, &H::ParseAudioSampleEntry},
        {BoxId::VisualSampleEntry, &H::ParseVisualSampleEntry},
        {BoxId::HintSampleEntry, &H::ParseHintSampleEntry},
        {BoxId::TextSampleEntry, &H::ParseTextSampleEntry},
        {BoxId::UnknownSampleEntry, &H::ParseUnknownSampleEntry},
        {FontTableBox::kId, &H::ParseFontTableBox},
        {TrackSelectionBox::kId, &H::ParseTrackSelectionBox},
        {RTPMovieHintInformation::kId, &H::ParseRTPMovieHintInformation},
        {MovieHinttInformation::kId, &H::ParseMovieHintInformation},
        {RTPTrackSDPHintInformation::kId, &H::ParseRTPTrackSDPHintInformation},
        {AuthorBox::kId, &H::ParseAuthorBox},
        {TitleBox::kId, &H::ParseTitleBox},
        {DescriptionBox::kId, &H::ParseDescriptionBox},
        {PerformerBox::kId, &H::ParsePerformerBox},
        {GenreBox::kId, &H::ParseGenreBox},
        {RatingBox::kId, &H::ParseRatingBox},
        {ClassificationBox::kId, &H::ParseClassificationBox},
        {KeywordsBox::kId, &H::ParseKeywordsBox},
        {LocationInformationBox::kId, &H::ParseLocationInformationBox},
        {AlbumBox::kId, &H::ParseAlbumBox},
        {RecordingYearBox::kId, &H::ParseRecordingYearBox},
        {ESDescriptorBox::kId, &H::ParseESDescriptorBox},
        {AMRSpecificBox::kId, &H::ParseAMRSpecificBox},
        {H263SpecificBox::kId, &H::ParseH263SpecificBox},
        {BitrateBox::kId, &H::ParseBitrateBox},
        {AMRWPSpecificBox::kId, &H::ParseAMRWPSpecificBox},
        {AVCConfigurationBox::kId, &H::ParseAVCConfigurationBox},
        {MPEG4BitRateBox::kId, &H::ParseMPEG4BitRateBox},
    };
    return kRows;
}

// ---- Asset boxes ----

std::string C3GPPBoxParsingHandler::ReadAssetString(const Context& c, FullBox& record,
                                                    uint8_t language[3]) {
    ReadVersionAndFlags(record.version, record.flags);
    DecodePackedLanguage(Reader().ReadUInt16(), language);
    std::vector<uint8_t> bytes;
    if (!ReadBoxBytes(Reader(), c.boxEnd, BytesAfter(c.size, c.headerBytes, 6), bytes)) return {};
    return ConvertAssetText(bytes.data(), bytes.size());
}

bool C3GPPBoxParsingHandler::ReadSingleByteText(const Context& c, uint64_t length,
                                                std::string& text) {
    const uint64_t kept = std::min(length, kSingleByteTextBytes);
    std::vector<uint8_t> bytes;
    if (!ReadBoxBytes(Reader(), c.boxEnd, kept, bytes)) return false;
    // A longer text is cut at its buffer; the rest is passed, so the box is still read whole.
    PassFieldBytes(Reader(), length - kept);
    text = Latin1CStringToUtf8(bytes.data(), bytes.size());
    return true;
}

void C3GPPBoxParsingHandler::ParseAuthorBox(const Context& c) {
    auto record = std::make_unique<AuthorBox>(c.size);
    record->author = ReadAssetString(c, *record, record->language);
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseTitleBox(const Context& c) {
    auto record = std::make_unique<TitleBox>(c.size);
    record->title = ReadAssetString(c, *record, record->language);
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseDescriptionBox(const Context& c) {
    auto record = std::make_unique<DescriptionBox>(c.size);
    record->description = ReadAssetString(c, *record, record->language);
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseGenreBox(const Context& c) {
    auto record = std::make_unique<GenreBox>(c.size);
    record->genre = ReadAssetString(c, *record, record->language);
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParsePerformerBox(const Context& c) {
    auto record = std::make_unique<PerformerBox>(c.size);
    record->performer = ReadAssetString(c, *record, record->language);
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseRatingBox(const Context& c) {
    auto record = std::make_unique<RatingBox>(c.size);
    CFileReader& r = Reader();
    ReadVersionAndFlags(record->version, record->flags);
    r.ReadBytes(record->RatingEntity, 4);
    r.ReadBytes(record->RatingCriteria, 4);
    DecodePackedLanguage(r.ReadUInt16(), record->language);
    ReadSingleByteText(c, BytesAfter(c.size, c.headerBytes, 14), record->RatingInfo);
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseClassificationBox(const Context& c) {
    auto record = std::make_unique<ClassificationBox>(c.size);
    CFileReader& r = Reader();
    ReadVersionAndFlags(record->version, record->flags);
    r.ReadBytes(record->ClassificationEntity, 4);
    record->ClassificationTable = r.ReadUInt16();
    DecodePackedLanguage(r.ReadUInt16(), record->language);
    ReadSingleByteText(c, BytesAfter(c.size, c.headerBytes, 12), record->ClassificationInfo);
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseKeywordsBox(const Context& c) {
    auto record = std::make_unique<KeywordsBox>(c.size);
    CFileReader& r = Reader();
    ReadVersionAndFlags(record->version, record->flags);
    DecodePackedLanguage(r.ReadUInt16(), record->language);
    record->KeywordCnt = r.ReadUInt8();
    ReserveTable(record->keywords, record->KeywordCnt, 1, BytesLeftInBox(r, c.boxEnd));
    for (uint32_t i = 0; i < record->KeywordCnt; ++i) {
        if (!BoxHoldsEntry(r, c.boxEnd, 1)) break;
        KeywordsBox::KeywordEntry keyword;
        keyword.KeywordSize = r.ReadUInt8();
        if (!ReadSingleByteText(c, keyword.KeywordSize, keyword.KeywordInfo)) break;
        record->keywords.push_back(std::move(keyword));
    }
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseLocationInformationBox(const Context& c) {
    auto record = std::make_unique<LocationInformationBox>(c.size);
    CFileReader& r = Reader();
    ReadVersionAndFlags(record->version, record->flags);
    DecodePackedLanguage(r.ReadUInt16(), record->language);
    r.ReadCString(record->Name);
    record->Role = r.ReadUInt8();
    record->Longitude = r.ReadUInt32();
    record->Latitude = r.ReadUInt32();
    record->altitude = r.ReadUInt32();
    r.ReadCString(record->Astronomical_body);
    r.ReadCString(record->Additional_notes);
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseAlbumBox(const Context& c) {
    auto record = std::make_unique<AlbumBox>(c.size);
    CFileReader& r = Reader();
    ReadVersionAndFlags(record->version, record->flags);
    DecodePackedLanguage(r.ReadUInt16(), record->language);
    r.ReadCString(record->AlbumTitle);
    // The track number is optional (TS 26.244) and common writers leave it out: reading it
    // regardless would take the next box's first byte and fail a valid file as corrupted.
    if (r.GetPosition() < c.boxEnd) record->TrackNumber = r.ReadUInt8();
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseRecordingYearBox(const Context& c) {
    auto record = std::make_unique<RecordingYearBox>(c.size);
    ReadVersionAndFlags(record->version, record->flags);
    record->RecordingYear = Reader().ReadUInt16();
    c.result.record = std::move(record);
}

// ---- Timed text, track selection, hint information ----

void C3GPPBoxParsingHandler::ParseFontTableBox(const Context& c) {
    auto record = std::make_unique<FontTableBox>(c.size);
    CFileReader& r = Reader();
    record->entry_count = r.ReadUInt16();
    ReserveTable(record->entries, record->entry_count, 3, BytesLeftInBox(r, c.boxEnd));
    for (uint32_t i = 0; i < record->entry_count; ++i) {
        if (!BoxHoldsEntry(r, c.boxEnd, 3)) break;
        FontTableBox::FontRecord font;
        font.font_ID = r.ReadUInt16();
        font.font_name_length = r.ReadUInt8();
        if (!ReadBoxBytes(r, c.boxEnd, font.font_name_length, font.font_name)) break;
        record->entries.push_back(std::move(font));
    }
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseTrackSelectionBox(const Context& c) {
    auto record = std::make_unique<TrackSelectionBox>(c.size);
    CFileReader& r = Reader();
    ReadVersionAndFlags(record->version, record->flags);
    record->SwitchGroup = static_cast<int32_t>(r.ReadUInt32());
    const uint64_t count = BytesAfter(c.size, c.headerBytes, 8) / 4;
    // The count comes from the declared size, which the file may not back.
    record->AttributeList.reserve(
        static_cast<size_t>(std::min(count, BytesLeftInBox(r, c.boxEnd) / 4)));
    for (uint64_t i = 0; i < count; ++i) {
        std::array<uint8_t, 4> attribute{};
        r.ReadBytes(attribute.data(), 4);
        record->AttributeList.push_back(attribute);
    }
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseMovieHintInformation(const Context& c) {
    c.result.record = std::make_unique<MovieHinttInformation>(c.size);
    c.result.descend = 1;
}

void C3GPPBoxParsingHandler::ParseRTPTrackSDPHintInformation(const Context& c) {
    auto record = std::make_unique<RTPTrackSDPHintInformation>(c.size);
    ReadBoxBytes(Reader(), c.boxEnd, BytesAfter(c.size, c.headerBytes, 0), record->sdptext);
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseRTPMovieHintInformation(const Context& c) {
    auto record = std::make_unique<RTPMovieHintInformation>(c.size);
    Reader().ReadBytes(record->descriptionformat, 4);
    ReadBoxBytes(Reader(), c.boxEnd, BytesAfter(c.size, c.headerBytes, 4), record->sdptext);
    c.result.record = std::move(record);
}

// ---- Sample entries ----

void C3GPPBoxParsingHandler::ParseAudioSampleEntry(const Context& c) {
    std::unique_ptr<AudioSampleEntry> record = ReadAudioSampleEntry(Reader(), c.size);
    if (const int32_t id = AudioEntryId(c.type)) {
        // Their configuration box ('esds', 'damr', 'dawp') follows as a child.
        record->id = id;
        c.headerBytes += kAudioEntryBytes;
        c.result.descend = 1;
    }
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseVisualSampleEntry(const Context& c) {
    std::unique_ptr<VisualSampleEntry> record = ReadVisualSampleEntry(Reader(), c.size);
    if (const int32_t id = VisualEntryId(c.type)) {
        // Their configuration box ('esds', 'd263', 'avcC') follows as a child.
        record->id = id;
        c.headerBytes += kVisualEntryBytes;
        c.result.descend = 1;
    }
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseTextSampleEntry(const Context& c) {
    auto record = std::make_unique<TextSampleEntry>(c.size);
    CFileReader& r = Reader();
    r.Skip(6);  // reserved
    record->data_reference_index = r.ReadUInt16();
    record->displayFlags = r.ReadUInt32();
    record->horizontal_justification = static_cast<int8_t>(r.ReadUInt8());
    record->vertical_justification = static_cast<int8_t>(r.ReadUInt8());
    r.ReadBytes(record->background_color_rgba, 4);
    record->default_text_box.top = static_cast<int16_t>(r.ReadUInt16());
    record->default_text_box.left = static_cast<int16_t>(r.ReadUInt16());
    record->default_text_box.bottom = static_cast<int16_t>(r.ReadUInt16());
    record->default_text_box.right = static_cast<int16_t>(r.ReadUInt16());
    record->default_style.startChar = r.ReadUInt16();
    record->default_style.endChar = r.ReadUInt16();
    record->default_style.font_ID = r.ReadUInt16();
    record->default_style.face_style_flags = r.ReadUInt8();
    record->default_style.font_size = r.ReadUInt8();
    r.ReadBytes(record->default_style.text_color_rgba, 4);
    // The font table ('ftab') follows as a child.
    c.headerBytes += kTextEntryBytes;
    c.result.descend = 1;
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseHintSampleEntry(const Context& c) {
    auto record = std::make_unique<HintSampleEntry>(c.size);
    CFileReader& r = Reader();
    const uint64_t dataBytes = BytesAfter(c.size, c.headerBytes, 8);
    r.Skip(6);  // reserved
    record->data_reference_index = r.ReadUInt16();
    ReadBoxBytes(r, c.boxEnd, dataBytes, record->data);
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseUnknownSampleEntry(const Context& c) {
    // A track of another kind may still hold entries of a known type.
    if (VisualEntryId(c.type) != 0) return ParseVisualSampleEntry(c);
    if (AudioEntryId(c.type) != 0) return ParseAudioSampleEntry(c);
    auto record = std::make_unique<SampleEntry>(BoxId::UnknownSampleEntry, c.size);
    CFileReader& r = Reader();
    r.Skip(6);  // reserved
    record->data_reference_index = r.ReadUInt16();
    const int64_t position = r.GetPosition();
    if (c.boxEnd > position) r.Skip(c.boxEnd - position);
    c.result.record = std::move(record);
}

// ---- Codec configuration ----

void C3GPPBoxParsingHandler::ParseESDescriptorBox(const Context& c) {
    auto record = std::make_unique<ESDescriptorBox>(c.size);
    ReadVersionAndFlags(record->version, record->flags);
    if (!ReadESDescriptor(Reader(), *record)) {
        // Half-read descriptors would show wrong values: keep the full box header only.
        auto bare = std::make_unique<ESDescriptorBox>(c.size);
        bare->version = record->version;
        std::copy(record->flags, record->flags + 3, bare->flags);
        record = std::move(bare);
    }
    c.result.record = std::move(record);
}

bool ReadParameterSets(CFileReader& r, int64_t boxEnd, uint32_t count,
                       std::vector<AVCConfigurationBox::ParameterSet>& sets) {
    ReserveTable(sets, count, 2, BytesLeftInBox(r, boxEnd));
    for (uint32_t i = 0; i < count; ++i) {
        if (!BoxHoldsEntry(r, boxEnd, 2)) return false;
        AVCConfigurationBox::ParameterSet set;
        set.length = r.ReadUInt16();
        if (!ReadBoxBytes(r, boxEnd, set.length, set.nalUnit)) return false;
        sets.push_back(std::move(set));
    }
    return true;
}

void C3GPPBoxParsingHandler::ParseAVCConfigurationBox(const Context& c) {
    auto record = std::make_unique<AVCConfigurationBox>(c.size);
    CFileReader& r = Reader();
    record->configurationVersion = r.ReadUInt8();
    record->AVCProfileIndication = r.ReadUInt8();
    record->profile_compatibility = r.ReadUInt8();
    record->AVCLevelIndication = r.ReadUInt8();
    record->lengthSizeMinusOne = r.ReadUInt8() & 0x03;
    record->numOfSequenceParameterSets = r.ReadUInt8() & 0x1F;
    // The parse ends at this box when it cannot hold a set.
    if (ReadParameterSets(r, c.boxEnd, record->numOfSequenceParameterSets,
                          record->sequenceParameterSets)) {
        record->numOfPicutreParamterSets = r.ReadUInt8();
        ReadParameterSets(r, c.boxEnd, record->numOfPicutreParamterSets,
                          record->pictureParameterSets);
    }
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseMPEG4BitRateBox(const Context& c) {
    auto record = std::make_unique<MPEG4BitRateBox>(c.size);
    CFileReader& r = Reader();
    record->bufferSizeDB = r.ReadUInt32();
    record->maxBitrate = r.ReadUInt32();
    record->avgBitrate = r.ReadUInt32();
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseH263SpecificBox(const Context& c) {
    auto record = std::make_unique<H263SpecificBox>(c.size);
    CFileReader& r = Reader();
    r.ReadBytes(record->vendor, 4);
    record->decoder_version = r.ReadUInt8();
    record->H263_Level = r.ReadUInt8();
    record->H263_Profile = r.ReadUInt8();
    // An optional 'bitr' may follow.
    c.headerBytes += kH263SpecificBytes;
    c.result.descend = c.size == uint64_t{c.headerBytes} ? 0 : 1;
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseBitrateBox(const Context& c) {
    auto record = std::make_unique<BitrateBox>(c.size);
    CFileReader& r = Reader();
    record->avgBitrate = r.ReadUInt32();
    record->maxBitrate = r.ReadUInt32();
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseAMRSpecificBox(const Context& c) {
    auto record = std::make_unique<AMRSpecificBox>(c.size);
    CFileReader& r = Reader();
    r.ReadBytes(record->vendor, 4);
    record->decoder_version = r.ReadUInt8();
    record->mode_set = r.ReadUInt16();
    record->mode_change_period = r.ReadUInt8();
    record->frames_per_sample = r.ReadUInt8();
    c.result.record = std::move(record);
}

void C3GPPBoxParsingHandler::ParseAMRWPSpecificBox(const Context& c) {
    auto record = std::make_unique<AMRWPSpecificBox>(c.size);
    CFileReader& r = Reader();
    r.ReadBytes(record->vendor, 4);
    record->decoder_version = r.ReadUInt8();
    c.result.record = std::move(record);
}

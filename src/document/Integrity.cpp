#include "document/Integrity.h"

#include <algorithm>

#include "document/IntegrityText.h"
#include "model/BoxCatalogue.h"
#include "model/FileReader.h"
#include "model/Format.h"
#include "model/NumberText.h"

std::string_view SeverityName(FindingSeverity severity) {
    switch (severity) {
        case FindingSeverity::Error:
            return "error";
        case FindingSeverity::Warning:
            return "warning";
        case FindingSeverity::Note:
            break;
    }
    return "note";
}

std::string GroupedNumber(uint64_t value) {
    char digits[NumberText::kMaxChars];
    const size_t length = NumberText::FormatUnsigned(digits, value);
    std::string text;
    text.reserve(length + length / 3);
    for (size_t i = 0; i < length; ++i) {
        if (i != 0 && (length - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

bool PrintableType(const std::array<uint8_t, 4>& type) {
    return std::all_of(type.begin(), type.end(), [](uint8_t c) { return c >= 0x20 && c < 0x7F; });
}

std::string QuotedType(const std::array<uint8_t, 4>& type) {
    if (PrintableType(type)) return StrFormat("'%c%c%c%c'", type[0], type[1], type[2], type[3]);
    return "type " + HexBytes(type);
}

std::string HexBytes(std::span<const uint8_t> bytes) {
    std::string text;
    for (uint8_t b : bytes) {
        if (!text.empty()) text += ' ';
        text += StrFormat("%02X", b);
    }
    return text;
}

std::string HexOffset(uint64_t offset) {
    return StrFormat("0x%llX", static_cast<unsigned long long>(offset));
}

bool HasPrintableType(std::span<const uint8_t> head) {
    return head.size() >= 8 && PrintableType({head[4], head[5], head[6], head[7]});
}

std::string_view NameSignature(std::span<const uint8_t> head) {
    const auto starts = [&](std::initializer_list<uint8_t> bytes) {
        return head.size() >= bytes.size() && std::equal(bytes.begin(), bytes.end(), head.begin());
    };
    if (starts({0x1A, 0x45, 0xDF, 0xA3})) return "Matroska/WebM (1A 45 DF A3)";
    if (head.size() > 2 * 188 && head[0] == 0x47 && head[188] == 0x47 && head[376] == 0x47)
        return "MPEG-TS (47 every 188 bytes)";
    if (starts({0x00, 0x00, 0x01, 0xBA})) return "MPEG-PS (00 00 01 BA)";
    if (starts({'I', 'D', '3'})) return "MP3 with an ID3 tag (\"ID3\")";
    if (head.size() >= 2 && head[0] == 0xFF && (head[1] & 0xE0) == 0xE0)
        return "MPEG audio (frame sync FF E/F)";
    if (starts({'R', 'I', 'F', 'F'})) return "RIFF: AVI or WAV (\"RIFF\")";
    if (starts({'O', 'g', 'g', 'S'})) return "Ogg (\"OggS\")";
    if (starts({'f', 'L', 'a', 'C'})) return "FLAC (\"fLaC\")";
    if (starts({0xFF, 0xD8, 0xFF})) return "JPEG (FF D8 FF)";
    if (starts({0x89, 'P', 'N', 'G'})) return "PNG (89 \"PNG\")";
    return {};
}

bool CheckSignatureOf(std::span<const uint8_t> head, uint64_t fileSize,
                      std::vector<Finding>& findings) {
    if (HasPrintableType(head) && FindBoxId(head.data() + 4) >= 0) return false;
    const std::string_view signature = NameSignature(head);
    std::array<uint8_t, 4> type = {};
    if (head.size() >= 8) std::copy(head.begin() + 4, head.begin() + 8, type.begin());
    if (!signature.empty()) {
        findings.push_back(Finding{"not-iso-media", FindingSeverity::Error, 0, type,
                                   "the file starts with the signature of " +
                                       std::string(signature) +
                                       ": it is not an ISO base media file"});
        return true;
    }
    if (head.size() < 8) {
        findings.push_back(Finding{"not-iso-media", FindingSeverity::Error, 0, type,
                                   StrFormat("the file holds %llu bytes, too few for a box header",
                                             static_cast<unsigned long long>(fileSize))});
        return true;
    }
    const uint64_t size =
        (uint64_t{head[0]} << 24) | (uint64_t{head[1]} << 16) | (uint64_t{head[2]} << 8) | head[3];
    if (HasPrintableType(head) && size <= fileSize) return false;
    findings.push_back(Finding{"not-iso-media", FindingSeverity::Error, 0, type,
                               "the file starts with " + HexBytes(head.subspan(0, 8)) +
                                   ", which is no known box header and no known signature: it "
                                   "is not an ISO base media file, or its start is damaged"});
    return true;
}

std::vector<Finding> CheckUnparsedFile(CFileReader& reader, std::span<const uint8_t> head,
                                       const ParseStop& stop, std::string_view failure) {
    std::vector<Finding> findings;
    const uint64_t fileSize = static_cast<uint64_t>(reader.GetFileSize());
    if (CheckSignatureOf(head, fileSize, findings)) return findings;

    struct Parent {
        uint64_t offset;
        uint64_t end;
        std::array<uint8_t, 4> type;
    };
    std::vector<Parent> parents;
    uint64_t position = 0;
    try {
        for (;;) {
            while (!parents.empty() && position >= parents.back().end)
                parents.pop_back();
            const uint64_t parentEnd = parents.empty() ? fileSize : parents.back().end;
            if (parents.empty() && position >= fileSize) break;
            if (parentEnd - position < 8) {
                if (parents.empty()) {
                    findings.push_back(TrailingBytesFinding(position, fileSize));
                } else {
                    const Parent& p = parents.back();
                    findings.push_back(
                        Finding{"child-exceeds-parent", FindingSeverity::Error, p.offset, p.type,
                                QuotedType(p.type) + " at " + HexOffset(p.offset) + " ends with " +
                                    GroupedNumber(parentEnd - position) +
                                    " bytes, too few for the header of a box"});
                }
                break;
            }
            // Relative, so that what the reader has buffered is kept.
            reader.Skip(static_cast<int64_t>(position) - reader.GetPosition());
            uint64_t size = reader.ReadUInt32();
            std::array<uint8_t, 4> type = {};
            reader.ReadBytes(type.data(), 4);
            uint32_t header = 8;
            if (size == 1 && parentEnd - position >= 16) {
                size = reader.ReadUInt64();
                header = 16;
            }
            if (size == 0) size = fileSize - position;
            if (size < header) {
                findings.push_back(
                    Finding{"bad-box-size", FindingSeverity::Error, position, type,
                            StrFormat("%s at %s declares %llu bytes, less than its own header",
                                      QuotedType(type).c_str(), HexOffset(position).c_str(),
                                      static_cast<unsigned long long>(size))});
                break;
            }
            // A child too big for its parent is the more precise fault when both are too big.
            if (!parents.empty() && size > parentEnd - position) {
                const Parent& p = parents.back();
                findings.push_back(ChildExceedsParentFinding(position, type, size, p.offset, p.type,
                                                             parentEnd - position));
                break;
            }
            if (size > fileSize - position) {
                findings.push_back(TruncatedBoxFinding(position, type, size, fileSize, {}));
                break;
            }
            const int32_t id = FindBoxId(type.data());
            if (id >= 0 && GetBoxKind(id) == BoxKind::Container && size > header) {
                parents.push_back(Parent{position, position + size, type});
                position += header;
            } else {
                position += size;
            }
        }
    } catch (const CFileReaderException&) {
        // A header cut by the end of the file: the walk ends there, as the parse did.
    }
    if (findings.empty()) {
        const std::string_view firstLine = failure.substr(0, failure.find('\r'));
        const std::string cause = firstLine.empty() ? "" : ": " + std::string(firstLine);
        if (stop.offset < fileSize) {
            findings.push_back(Finding{"parse-failed", FindingSeverity::Error, stop.offset,
                                       stop.type,
                                       "the parse stopped at " + QuotedType(stop.type) + " at " +
                                           HexOffset(stop.offset) + cause});
        } else {
            findings.push_back(Finding{
                "parse-failed", FindingSeverity::Error, stop.lastInsideOffset, stop.lastInsideType,
                "the parse left the file after " + QuotedType(stop.lastInsideType) + " at " +
                    HexOffset(stop.lastInsideOffset) + " and stopped at " + HexOffset(stop.offset) +
                    ", beyond its end" + cause});
        }
    }
    return findings;
}

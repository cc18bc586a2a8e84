#include "parsing/ParserInterfaces.h"

#include "model/FileReader.h"

void CBoxParsingHandlerImpl::ReadVersionAndFlags(uint8_t& version, uint8_t flags[3]) {
    version = m_reader->ReadUInt8();
    m_reader->ReadBytes(flags, 3);
}

const char* GetTrackKindName(int32_t handlerKind) {
    switch (handlerKind) {
        case HandlerKindVideo:
            return "Video";
        case HandlerKindSound:
            return "Sound";
        case HandlerKindHint:
            return "Hint";
        case HandlerKindText:
            return "Timed Text";
        default:
            return "Unknown";
    }
}

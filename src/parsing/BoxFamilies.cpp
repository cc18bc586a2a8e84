#include "parsing/BoxFamilies.h"

#include <memory>

#include "parsing/AudioBoxParsingHandler.h"
#include "parsing/ISOFileFormatParser.h"
#include "parsing/ImageBoxParsingHandler.h"
#include "parsing/MetaBoxParsingHandler.h"
#include "parsing/StreamingBoxParsingHandler.h"
#include "parsing/VideoBoxParsingHandler.h"

void AddBoxFamilyParsers(CISOFileFormatParser& parser) {
    parser.AddHandler(std::make_unique<CVideoBoxParsingHandler>(), BoxSet::Full);
    parser.AddHandler(std::make_unique<CMetaBoxParsingHandler>(), BoxSet::Full);
    parser.AddHandler(std::make_unique<CAudioBoxParsingHandler>(), BoxSet::Full);
    parser.AddHandler(std::make_unique<CStreamingBoxParsingHandler>(), BoxSet::Full);
    parser.AddHandler(std::make_unique<CImageBoxParsingHandler>(), BoxSet::Full);
}

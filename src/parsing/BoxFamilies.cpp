#include "parsing/BoxFamilies.h"

#include <memory>

#include "parsing/ISOFileFormatParser.h"
#include "parsing/MetaBoxParsingHandler.h"
#include "parsing/VideoBoxParsingHandler.h"

void AddBoxFamilyParsers(CISOFileFormatParser& parser) {
    parser.AddHandler(std::make_unique<CVideoBoxParsingHandler>(), BoxSet::Full);
    parser.AddHandler(std::make_unique<CMetaBoxParsingHandler>(), BoxSet::Full);
}

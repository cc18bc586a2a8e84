#pragma once

#include "document/TrackInfoCollector.h"

namespace ISOFileFormat {
struct Box;
}

// The codec facts of the video family beyond the classic set: the name of each sample entry
// type ("H.265", "AV1", "VP9"...), its picture size, and the profile and level of its
// configuration. A protected entry ('encv') gives its size; its 'frma' names the original
// format. Returns false, leaving `video` as it was, for a record that is none of these (an
// 'frma' of a format that is not video included). A protected entry without its 'frma' is
// named "Protected video".
bool NoteVideoFamilyFacts(const ISOFileFormat::Box& record, VideoCodecInfo& video);

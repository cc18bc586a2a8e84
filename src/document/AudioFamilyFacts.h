#pragma once

#include "document/TrackInfoCollector.h"

namespace ISOFileFormat {
struct Box;
}

// The audio facts of the boxes beyond the classic set, and of the classic boxes where the reading
// beyond it knows more ('esds'). Returns true when the record is fully noted; false leaves it to
// the classic noting (also after adding to `audio`). Records of the classic reading add nothing,
// so with the classic switch on the facts are the classic ones.
bool NoteAudioFamilyFacts(const ISOFileFormat::Box& record, AudioCodecInfo& audio);

// The name users see for an audio sample entry id of this family; null for any other id. A
// protected entry ('enca') has none: its configuration names it.
const char* AudioFormatName(int32_t entryId);

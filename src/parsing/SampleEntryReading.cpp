#include "parsing/SampleEntryReading.h"

#include "model/FileReader.h"

using namespace ISOFileFormat;

std::unique_ptr<AudioSampleEntry> ReadAudioSampleEntry(CFileReader& r, uint64_t size) {
    auto record = std::make_unique<AudioSampleEntry>(size);
    r.Skip(6);  // reserved
    record->data_reference_index = r.ReadUInt16();
    r.Skip(8);  // reserved
    record->channelcount = r.ReadUInt16();
    record->samplesize = r.ReadUInt16();
    r.Skip(4);  // pre_defined, reserved
    record->samplerate = r.ReadUInt32();
    return record;
}

std::unique_ptr<VisualSampleEntry> ReadVisualSampleEntry(CFileReader& r, uint64_t size) {
    auto record = std::make_unique<VisualSampleEntry>(size);
    r.Skip(6);  // reserved
    record->data_reference_index = r.ReadUInt16();
    r.Skip(16);  // pre_defined, reserved
    record->width = r.ReadUInt16();
    record->height = r.ReadUInt16();
    record->horizresolution = r.ReadUInt32();
    record->vertresolution = r.ReadUInt32();
    r.Skip(4);  // reserved
    record->frame_cout = r.ReadUInt16();
    r.ReadBytes(record->compressorname, 32);
    record->depth = r.ReadUInt16();
    r.Skip(2);  // pre_defined
    return record;
}

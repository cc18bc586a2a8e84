#include "document/QuickInformation.h"

#include "document/GeneralViewBox.h"
#include "document/LineViewBox.h"
#include "document/NodeList.h"
#include "document/TrackInfoCollector.h"
#include "model/Format.h"
#include "presentation/ViewPalette.h"

namespace {

std::string BytesText(uint64_t bytes) {
    return StrFormat("%llu bytes", static_cast<unsigned long long>(bytes));
}

void AddVideoItems(CISOViewBox& node, const CTrackInfoCollector& collector) {
    if (collector.GetVideoTrackCount() == 0) {
        node.AddItem("-", "No Video Track");
        return;
    }
    const VideoCodecInfo& video = collector.GetVideoInfo();
    node.AddItem("Name", video.name);
    node.AddItem("Size", StrFormat("%d x %d pixels", video.width, video.height));
    if (video.mask & CodecInfoBit::MaxBitrate) node.AddNumber("Max Bitrate", video.maxBitrate);
    if (video.mask & CodecInfoBit::AverageBitrate)
        node.AddNumber("Avarge Bitrate", video.averageBitrate);
    if (video.mask & CodecInfoBit::DecoderBufferSize)
        node.AddNumber("Decoder Buffer Size", video.decoderBufferSize);
    if (video.mask & CodecInfoBit::Profile) node.AddNumber("Profile", video.profile);
    if (video.mask & CodecInfoBit::Level) node.AddNumber("Level", video.level);
    if (video.mask & CodecInfoBit::DecoderVersion)
        node.AddNumber("Decoder Version", video.decoderVersion);
    if (video.mask & CodecInfoBit::Vendor) node.AddItem("Vendor", video.vendor);
}

void AddAudioItems(CISOViewBox& node, const CTrackInfoCollector& collector) {
    if (collector.GetSoundTrackCount() == 0) {
        node.AddItem("-", "No Sound Track");
        return;
    }
    const AudioCodecInfo& audio = collector.GetAudioInfo();
    node.AddItem("Type", audio.name);
    if (audio.mask & CodecInfoBit::ChannelCount)
        node.AddNumber("Number Of Channels", audio.channelCount);
    if (audio.mask & CodecInfoBit::SampleRate)
        node.AddItem("Sample Rate", StrFormat("%u Hz", audio.sampleRate));
    if (audio.mask & CodecInfoBit::SampleSize) node.AddNumber("Sample Size", audio.sampleSize);
    if (audio.mask & CodecInfoBit::FramesPerSample)
        node.AddNumber("Frames Per Sample", audio.framesPerSample);
    if (audio.mask & CodecInfoBit::MaxBitrate) node.AddNumber("Max Bitrate", audio.maxBitrate);
    if (audio.mask & CodecInfoBit::AverageBitrate)
        node.AddNumber("Avarge Bitrate", audio.averageBitrate);
    if (audio.mask & CodecInfoBit::DecoderBufferSize)
        node.AddNumber("Decoder Buffer Size", audio.decoderBufferSize);
    if (audio.mask & CodecInfoBit::DecoderVersion)
        node.AddNumber("Decoder Version", audio.decoderVersion);
    if (audio.mask & CodecInfoBit::Vendor) node.AddItem("Vendor", audio.vendor);
}

// Hours, minutes, seconds and milliseconds of `duration` units of `timescale` per second.
std::string DurationText(uint64_t duration, uint32_t timescale) {
    const uint64_t seconds = duration / timescale;
    const uint64_t millis = (duration % timescale) * 1000 / timescale;
    return StrFormat(
        "%02lluh:%02llum:%02llus.%03llu", static_cast<unsigned long long>(seconds / 3600),
        static_cast<unsigned long long>(seconds / 60 % 60),
        static_cast<unsigned long long>(seconds % 60), static_cast<unsigned long long>(millis));
}

// Movie fragments (full box set only: the collector keeps none otherwise): how many, per track
// how many track fragments, and the duration they add up to where the track's 'mdhd' has none.
void AddFragmentItems(CISOViewBox& node, const CTrackInfoCollector& collector) {
    if (collector.GetFragmentCount() == 0) return;
    node.AddHeading("Fragments");
    node.AddNumber("Number Of Fragments", static_cast<int64_t>(collector.GetFragmentCount()));
    for (const auto& track : collector.GetFragmentedTracks()) {
        node.AddItem(StrFormat("Track %u Fragments", track.track_ID),
                     StrFormat("%llu", static_cast<unsigned long long>(track.fragmentCount)));
        if (track.movieDuration == 0 && track.timescale != 0)
            node.AddItem(StrFormat("Track %u Duration", track.track_ID),
                         DurationText(track.duration, track.timescale) + " from the fragments");
    }
}

}  // namespace

void FillGeneralInformation(CISOViewBox& node, const CTrackInfoCollector& collector) {
    node.AddHeading("Track Count");
    node.AddNumber("Total Number Of Tracks", collector.GetTotalTrackCount());
    node.AddNumber("Number Of Video Tracks", collector.GetVideoTrackCount());
    node.AddNumber("Number Of Sound Tracks", collector.GetSoundTrackCount());
    node.AddNumber("Number Of Timed Text Tracks", collector.GetTextTrackCount());
    node.AddNumber("Number Of Hint Tracks", collector.GetHintTrackCount());

    node.AddHeading("Video Codec");
    AddVideoItems(node, collector);

    node.AddHeading("Audio Codec");
    AddAudioItems(node, collector);

    node.AddHeading("Media Data");
    if (collector.GetVideoTrackCount() != 0)
        node.AddItem("Biggest Video Chunk", BytesText(collector.GetBiggestVideoChunk()));
    if (collector.GetSoundTrackCount() != 0)
        node.AddItem("Biggest Sound Chunk", BytesText(collector.GetBiggestSoundChunk()));
    if (collector.GetTextTrackCount() != 0)
        node.AddItem("Biggest Text Chunk", BytesText(collector.GetBiggestTextChunk()));
    AddFragmentItems(node, collector);
}

void BuildQuickInformation(const CTrackInfoCollector& collector, IDrawingSurface& surface,
                           bool autoExpand, bool noExpandQI, CNodeList& displayList,
                           bool integritySection) {
    auto title = std::make_unique<CLineViewBox>(0, 0, 0);
    title->SetTitle("Quick Information");
    title->SetTitleColours(kViewPalette.quickInformationTitleText, kViewPalette.lineBack);
    // The general information and the conformance node.
    title->IncrementChildCount();
    title->IncrementChildCount();
    if (integritySection) title->IncrementChildCount();
    title->Measure(surface);
    title->SetExpanded(autoExpand && !noExpandQI);
    displayList.PushBack(std::move(title));

    auto general = std::make_unique<CGeneralViewBox>(1);
    FillGeneralInformation(*general, collector);
    general->Measure(surface);
    displayList.PushBack(std::move(general));
}

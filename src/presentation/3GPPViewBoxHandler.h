#pragma once

#include <vector>

#include "model/3GPPBoxes.h"
#include "presentation/ViewBoxTable.h"

class CISOViewBoxItemLayer;

// The AVC configuration as the classic reading shows it; the reading beyond the classic set
// shows the same and adds what High profiles carry.
void ShowAVCConfigurationFields(const ISOFileFormat::AVCConfigurationBox& box,
                                CISOViewBoxItemLayer& items);
// One item per parameter set: "[index]" and its NAL unit in hexadecimal.
void ShowParameterSets(const std::vector<ISOFileFormat::AVCConfigurationBox::ParameterSet>& sets,
                       CISOViewBoxItemLayer& items);

// Shows what the 3GPP parsing handler decodes: the recognised MP4, AMR and H.263 sample entries,
// the timed-text and hint sample entries, the elementary stream descriptor with its audio or
// visual decoder specific info, the AVC configuration, the AMR and H.263 specific boxes, the
// MPEG-4 bitrate box, the 3GPP asset boxes, the track selection box and the RTP/SDP hint texts.
//
// The generic sample entries and 'uuid' are the ISO handler's. A box whose catalogue id is one
// of ours but whose record is not the one our parser makes (a sample entry type met outside a
// sample description, which the driver keeps as a bare box) is declined, so that its node shows
// no contents rather than fields that were never read.
class C3GPPViewBoxHandler : public CViewBoxTableHandler {
public:
    C3GPPViewBoxHandler();
};

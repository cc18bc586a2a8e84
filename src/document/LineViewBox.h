#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "presentation/ISOViewBox.h"

// A node of one titled line, built without a box: the "Quick Information" title, and a track,
// chunk or sample line under an 'mdat' node when one is drawn or handed to a command. Its byte
// range is that of the chunk or sample it stands for (0 and 0 for the title).
class CLineViewBox : public CISOViewBox {
public:
    CLineViewBox(int32_t depth, uint64_t fileOffset, uint64_t size);
    ~CLineViewBox() override;

    // Replaces the line's text ("Empty" until then).
    void SetTitle(std::string_view title);

    static constexpr const char* kInitialTitle = "Empty";
};

#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "document/Integrity.h"
#include "presentation/ISOViewBox.h"

// The "Integrity Information" section of the quick information: a title and one line per
// finding ("error : truncated-box at 0x28 : ..."), or "no problem found".
class CIntegrityViewBox : public CISOViewBox {
public:
    explicit CIntegrityViewBox(int32_t depth);
    ~CIntegrityViewBox() override;

    // Replaces the lines by those of `findings`.
    void SetFindings(std::span<const Finding> findings);

    static constexpr std::string_view kTitle = "Integrity Information";
};

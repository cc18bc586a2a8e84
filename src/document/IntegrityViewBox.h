#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

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
    // The offset of the box of the finding whose line lies at `y` (once measured).
    std::optional<uint64_t> OffsetAtHeight(int64_t y) const override;

    static constexpr std::string_view kTitle = "Integrity Information";

private:
    // Per line, the box its finding concerns; none for a finding about the whole file.
    std::vector<std::optional<uint64_t>> m_offsets;
};

#pragma once

#include <cstdint>

#include "presentation/ISOViewBox.h"

// The "General Information" section: a title and one item layer that the quick information
// fills with the track counts, the codec facts and the biggest chunks.
class CGeneralViewBox : public CISOViewBox {
public:
    explicit CGeneralViewBox(int32_t depth);
    ~CGeneralViewBox() override;
};

#pragma once

#include "presentation/ViewBoxTable.h"

// Shows the image family beyond the classic set: the item boxes of a 'meta', the item
// properties with their associations, and the entity groups.
class CImageViewBoxHandler : public CViewBoxTableHandler {
public:
    CImageViewBoxHandler();

    // After an 'iloc' extent that lies past the end of the file.
    static constexpr std::string_view kBeyondFileText = " (beyond the end of the file)";
};

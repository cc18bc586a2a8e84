#pragma once

#include "presentation/ViewBoxTable.h"

// Shows the metadata family beyond the classic set: 'meta' with its handler, item list, keys
// and values, 'elng', 'kind', track references of any type, 'sgpd' and 'subs'; and 'tkhd' with
// its flags named bit by bit.
class CMetaViewBoxHandler : public CViewBoxTableHandler {
public:
    explicit CMetaViewBoxHandler(CValueFormatContext& context);
};

#include "presentation/ViewBoxTable.h"

#include "presentation/ISOViewBox.h"

int32_t CViewBoxTableHandler::FillViewBox(const ISOFileFormat::Box& box, CISOViewBox& viewBox,
                                          int32_t& fullBox) {
    const ViewBoxRow* row = m_table.Find(box.id);
    if (row == nullptr) return 0;
    CISOViewBoxItemLayer* contents = viewBox.GetContentsLayer();
    if (contents == nullptr) return 0;
    if (!row->show(box, ViewBoxTarget{*contents, viewBox, m_context})) return 0;
    if (row->callerAddsVersionFlags) fullBox = 1;
    return 1;
}

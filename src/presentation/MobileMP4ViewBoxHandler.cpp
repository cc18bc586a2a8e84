#include "presentation/MobileMP4ViewBoxHandler.h"

#include "model/Format.h"
#include "model/MobileMP4Boxes.h"
#include "model/TextConversion.h"
#include "presentation/ISOViewBox.h"
#include "presentation/ViewBoxTable.h"

using namespace ISOFileFormat;

namespace {

void ShowDRMBox(const DoCoMoDRMBox& box, const ViewBoxTarget& t) {
    CISOViewBoxItemLayer& items = t.contents;
    // Only bit 0 carries the right; the other bits are reserved and do not change it.
    const bool notAllowed = (box.distiribution_right & 1) != 0;
    items.AddItem("distiribution_right", StrFormat("0x%04X (%s)", box.distiribution_right,
                                                   notAllowed ? "re-distribution not allowed"
                                                              : "re-distribution allowed"));
}

void ShowChapterBox(const DoCoMoChapterBox& box, const ViewBoxTarget& t) {
    CISOViewBoxItemLayer& items = t.contents;
    items.AddNumber("entry_count", box.entry_count);
    items.AddHeading("Entry List");
    int32_t index = 0;
    for (const DoCoMoChapterBox::ChapterEntry& chapter : box.entries) {
        // Start times and lengths are unsigned 32-bit fields: printed unsigned, so that a value
        // of 2^31 or more is not shown negative.
        const std::string name =
            BoundedLatin1Text(chapter.chapter_name.data(), chapter.chapter_name.size());
        items.AddItem(
            StrFormat("[%d]", index++),
            StrFormat("start_time : %10u (0x%08X),\t length : %u,\t chapter_name : %s",
                      chapter.start_time, chapter.start_time, chapter.length, name.c_str()));
    }
}

constexpr CViewBoxTable kRows{
    Row<DoCoMoDRMBox, ShowDRMBox>(BoxId::Dcmd),
    Row<DoCoMoChapterBox, ShowChapterBox>(BoxId::Dcmc),
};

}  // namespace

CMobileMP4ViewBoxHandler::CMobileMP4ViewBoxHandler() : CViewBoxTableHandler(kRows) {}

// The typed adders of CISOViewBoxItemLayer: how raw field values become item texts.

#include <ctime>

#include "model/Format.h"
#include "presentation/ISOViewBoxLayer.h"
#include "presentation/ValueFormatContext.h"

namespace {

// Seconds from 1904-01-01 00:00:00 UTC (the ISO base media epoch) to the Unix epoch.
constexpr uint64_t kSeconds1904To1970 = 2082844800;

// 9999-12-31 23:59:59 UTC as Unix time. Anything more than a day past it is past the year 9999
// in every time zone, and is not handed to the system at all.
constexpr int64_t kLastUnixTimeOfYear9999 = 253402300799;
constexpr int64_t kOneDay = 86400;

constexpr const char* kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Local calendar time of a 1904-based time; false when it has none that we can show.
bool ToLocalTime(uint64_t secondsSince1904, std::tm& local) {
    if (secondsSince1904 > kSeconds1904To1970 + kLastUnixTimeOfYear9999 + kOneDay) return false;
    const time_t unixTime = static_cast<time_t>(static_cast<int64_t>(secondsSince1904) -
                                                static_cast<int64_t>(kSeconds1904To1970));
    if (localtime_r(&unixTime, &local) == nullptr) return false;
    return local.tm_year + 1900 <= 9999 && local.tm_mon >= 0 && local.tm_mon < 12;
}

// "%d.%d (0x%0NX)" of a fixed-point field of twice `fractionBits` bits: the fraction is shown as
// the integer its bits make, and the raw value in all its hexadecimal digits.
void AddFixedPoint(CISOViewBoxItemLayer& layer, std::string_view label, uint32_t value,
                   int fractionBits) {
    layer.BeginItem()
        .Text(label)
        .Value()
        .Unsigned(value >> fractionBits)
        .Char('.')
        .Unsigned(value & ((1u << fractionBits) - 1))
        .Text(" (0x")
        .Hex(value, fractionBits / 2)
        .Char(')');
    layer.SetLastItemValue(
        ItemValue{value, static_cast<uint32_t>(fractionBits), ItemValueKind::Fixed});
}

}  // namespace

void CISOViewBoxItemLayer::AddNumber(std::string_view label, int64_t value, bool decimalOnly) {
    ItemValue typed;
    {
        ItemWriter item = BeginItem();
        typed = WriteNumber(item, label, value, decimalOnly);
    }
    SetLastItemValue(typed);
}

void CISOViewBoxItemLayer::AddDate(std::string_view label, uint64_t secondsSince1904) {
    if (secondsSince1904 == 0) return;
    std::tm local{};
    if (!ToLocalTime(secondsSince1904, local)) {
        BeginItem()
            .Text(label)
            .Value()
            .Text(kDateOutOfRangeText)
            .Text(" (0x")
            .Hex(secondsSince1904)
            .Char(')');
    } else {
        AddItem(label,
                StrFormat("%02dh:%02dm:%02ds at %02d %s, %04d (0x%llX)", local.tm_hour,
                          local.tm_min, local.tm_sec, local.tm_mday, kMonthNames[local.tm_mon],
                          local.tm_year + 1900, static_cast<unsigned long long>(secondsSince1904)));
    }
    SetLastItemValue(ItemValue{secondsSince1904, 0, ItemValueKind::Date});
}

void CISOViewBoxItemLayer::AddDuration(std::string_view label, uint64_t duration,
                                       uint32_t timescale, CValueFormatContext& context) {
    const uint32_t used = context.UseTimescale(timescale);
    const uint64_t seconds = duration / used;
    BeginItem()
        .Text(label)
        .Value()
        .Unsigned(seconds / 3600, 2)
        .Text("h:")
        .Unsigned((seconds % 3600) / 60, 2)
        .Text("m:")
        .Unsigned(seconds % 60, 2)
        .Text("s (0x")
        .Hex(duration)
        .Char(')');
    SetLastItemValue(ItemValue{duration, used, ItemValueKind::Duration});
}

void CISOViewBoxItemLayer::AddFixed16(std::string_view label, uint32_t value) {
    AddFixedPoint(*this, label, value, 16);
}

void CISOViewBoxItemLayer::AddFixed8(std::string_view label, uint16_t value) {
    AddFixedPoint(*this, label, value, 8);
}

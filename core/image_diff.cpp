#include "image_diff.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "transfer.h"

namespace orvel {
namespace {

std::string HexByte(std::uint8_t value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

std::string HexBytes(const MemoryImage& image, std::size_t offset, std::size_t count) {
    std::string text;
    for (std::size_t i = offset; i < offset + count; ++i)
        text += HexByte(image[i]);
    return text;
}

void CompareSpare(const char* where, std::size_t offset, std::size_t count, const MemoryImage& a,
                  const MemoryImage& b, std::vector<ConfigDifference>& differences) {
    for (std::size_t i = offset; i < offset + count; ++i) {
        if (a[i] != b[i])
            differences.push_back({where, std::to_string(i), HexByte(a[i]), HexByte(b[i])});
    }
}

std::string Shown(const std::string& cell) {
    return cell.empty() ? "(empty)" : cell;
}

}  // namespace

std::vector<ConfigDifference> CompareConfigurations(const ComparedConfiguration& a,
                                                    const ComparedConfiguration& b) {
    std::vector<ConfigDifference> differences;
    for (int r = 0; r < kChannelCount; ++r) {
        const auto row = static_cast<std::size_t>(r);
        for (int c = kColRx; c < kTableColumns; ++c) {
            const auto column = static_cast<std::size_t>(c);
            if (a.table[row][column] != b.table[row][column]) {
                differences.push_back({"channel " + std::to_string(r + 1),
                                       std::string(kTransferColumns[column]), a.table[row][column],
                                       b.table[row][column]});
            }
        }
    }
    for (const SettingField& field : kSettingFields) {
        const int valueA = a.settings.*field.member;
        const int valueB = b.settings.*field.member;
        if (valueA != valueB) {
            differences.push_back({"settings", std::string(field.key), std::to_string(valueA),
                                   std::to_string(valueB)});
        }
    }
    const std::string headerA = HexBytes(a.image, layout::kHeader, layout::kHeaderSize);
    const std::string headerB = HexBytes(b.image, layout::kHeader, layout::kHeaderSize);
    if (headerA != headerB)
        differences.push_back({"header", "", headerA, headerB});
    CompareSpare("spareA", layout::kSpareA, layout::kSpareASize, a.image, b.image, differences);
    CompareSpare("spareB", layout::kSpareB, layout::kSpareBSize, a.image, b.image, differences);
    return differences;
}

std::string DifferenceLine(const ConfigDifference& d) {
    if (d.where == "header")
        return "header: " + d.a + " -> " + d.b;
    if (d.where == "spareA" || d.where == "spareB")
        return d.where + ": byte " + d.field + " " + d.a + " -> " + d.b;
    return d.where + " " + d.field + ": " + Shown(d.a) + " -> " + Shown(d.b);
}

std::string DifferencesJson(const std::vector<ConfigDifference>& differences) {
    nlohmann::ordered_json doc;
    doc["equal"] = differences.empty();
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const ConfigDifference& d : differences) {
        list.push_back({{"where", d.where}, {"field", d.field}, {"a", d.a}, {"b", d.b}});
    }
    doc["differences"] = std::move(list);
    return doc.dump(2) + "\n";
}

}  // namespace orvel

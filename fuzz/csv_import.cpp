// The CSV channel table as orvelctl reads it, and images the program itself would write: a
// table filled through the edit panel's Confirm, as a technician fills it. Property: exporting
// such an image and importing the export gives the same image, through CSV and through JSON.
#include "codec.h"
#include "fuzz_target.h"
#include "limits.h"
#include "transfer.h"
#include "vocabulary.h"

namespace orvel::fuzz {
namespace {

// An index into a drop-down of `count` items, or -1 for none.
int Selection(Input& input, std::size_t count) {
    return static_cast<int>(input.Byte() % (count + 1)) - 1;
}

void CheckRoundTrips(const MemoryImage& image, const FrequencyLimits& limits) {
    const DecodedImage shown = DecodeAsShown(image, DecodeSource::FromFile, limits);
    ImportError error;
    MemoryImage again{};
    const std::string csv = TableToCsv(shown.table);
    FUZZ_CHECK(ImageFromCsv(csv, limits, again, error),
               "its own CSV is refused: " + error.Text() + "\n" + csv);
    FUZZ_CHECK(again == image, "the CSV imports as another image\n" + csv);
    const std::string json = ImageToJson(image, shown);
    FUZZ_CHECK(ImageFromJson(json, limits, again, error),
               "its own JSON is refused: " + error.Text() + "\n" + json);
    FUZZ_CHECK(again == image, "the JSON imports as another image\n" + json);
}

}  // namespace

ORVEL_FUZZ_TARGET(FuzzCsvImport) {
    Input input(data, size);
    const std::uint8_t control = input.Byte();
    const FrequencyLimits& limits = LimitsOf(control >> 1);
    MemoryImage image{};
    if (control % 2 == 0) {
        ImportError error;
        if (!ImageFromCsv(input.Rest(), limits, image, error)) {
            FUZZ_CHECK(!error.reason.empty(), "a refusal without a reason");
            return 0;
        }
        CheckRoundTrips(image, limits);
        return 0;
    }
    // Panel entries until the input ends: channel, the two frequencies as typed (the edits
    // take eight characters), and the four drop-downs.
    ChannelTable table = EmptyChannelTable();
    while (!input.Empty()) {
        EditPanel panel;
        panel.channelNo = input.Byte() % (kChannelCount + 1);
        panel.rxText = input.Text(8);
        panel.txText = input.Text(8);
        panel.power = Selection(input, vocab::kPower.size());
        panel.rate = Selection(input, vocab::kRate.size());
        panel.squelch = Selection(input, vocab::kSquelch.size());
        panel.dataVoice = Selection(input, vocab::kDataVoice.size());
        InvalidFlags invalid;
        ConfirmPanel(panel, limits, table, invalid);
    }
    image = StartupImage();
    EncodeImage(table, RadioSettings{}, image);
    CheckRoundTrips(image, limits);
    return 0;
}

}  // namespace orvel::fuzz

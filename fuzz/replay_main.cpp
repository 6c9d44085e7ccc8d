// Replays a committed corpus through one fuzz target: every input that ever crashed a reader
// or broke a property keeps being checked by `make test`, without clang or a time budget.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fuzz_target.h"

namespace orvel::fuzz {
ORVEL_FUZZ_TARGET(FuzzChannelFile);
ORVEL_FUZZ_TARGET(FuzzChannelPaste);
ORVEL_FUZZ_TARGET(FuzzCsvImport);
ORVEL_FUZZ_TARGET(FuzzImageDecode);
ORVEL_FUZZ_TARGET(FuzzIniFile);
ORVEL_FUZZ_TARGET(FuzzJsonImport);
ORVEL_FUZZ_TARGET(FuzzNumberText);
ORVEL_FUZZ_TARGET(FuzzPortName);
ORVEL_FUZZ_TARGET(FuzzRadioAnswers);
ORVEL_FUZZ_TARGET(FuzzRecordUrl);
ORVEL_FUZZ_TARGET(FuzzTelnetSession);
}  // namespace orvel::fuzz

int main(int argc, char** argv) {
    using namespace orvel::fuzz;
    const std::map<std::string, Target> targets = {
        {"channel_file", FuzzChannelFile},   {"channel_paste", FuzzChannelPaste},
        {"csv_import", FuzzCsvImport},       {"image_decode", FuzzImageDecode},
        {"ini_file", FuzzIniFile},           {"json_import", FuzzJsonImport},
        {"number_text", FuzzNumberText},     {"port_name", FuzzPortName},
        {"radio_answers", FuzzRadioAnswers}, {"telnet_session", FuzzTelnetSession},
        {"record_url", FuzzRecordUrl},
    };
    if (argc != 3 || targets.count(argv[1]) == 0) {
        std::cerr << "usage: fuzz_replay TARGET CORPUS_FOLDER\ntargets:";
        for (const auto& [name, function] : targets)
            std::cerr << ' ' << name;
        std::cerr << '\n';
        return 1;
    }
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    for (const fs::directory_entry& entry : fs::directory_iterator(argv[2])) {
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::cerr << argv[2] << ": no inputs\n";
        return 1;
    }
    const Target target = targets.at(argv[1]);
    for (const fs::path& path : inputs) {
        std::ifstream file(path, std::ios::binary);
        const std::vector<char> bytes(std::istreambuf_iterator<char>(file), {});
        // Announced first, so that a crash names its input.
        std::cerr << path.filename().string() << '\n';
        target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::cout << argv[1] << ": " << inputs.size() << " inputs replayed\n";
    return 0;
}

// orvelsim: a virtual radio behind a fixed path, for trying the tool by hand or from scripts.
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "channel_file.h"
#include "codec.h"
#include "orvel_version.h"
#include "virtual_radio.h"

namespace {

using orvel::RadioFrame;
using orvel::sim::RadioBehaviour;
using orvel::sim::VirtualRadio;

constexpr int kExitUsage = 1;
constexpr int kExitImage = 2;
constexpr int kExitStart = 3;

constexpr const char* kUsage =
    "usage: orvelsim [options]\n"
    "  --link PATH         symbolic link to the radio's terminal (default /tmp/orvel-radio)\n"
    "  --image FILE.dat    serve the configuration of a channel file\n"
    "  --id TEXT           identification sent to the identify command (default ORVEL-R1)\n"
    "                      (--image and --id once per radio: see SIGUSR1)\n"
    "  --current N         current channel, 1..16 (default 1)\n"
    "  --pace              take and answer frames at the real line rate, 9600 baud\n"
    "  --silent            answer nothing\n"
    "  --nak N             refuse the N-th write frame (33 15 00)\n"
    "  --bad-checksum      send the image with a wrong checksum byte\n"
    "  --cut N             send only the first N image bytes (0..260)\n"
    "  --garbage-id        put the byte 0x07 into the identification\n"
    "  --echo              send every byte back first, as an echoing adapter does\n"
    "                      (with --silent: a loop-back plug and no radio)\n"
    "  --help              show this text\n"
    "  --version           print the version\n"
    "Prints every frame it receives; SIGINT or SIGTERM ends it and removes the link.\n"
    "SIGUSR1 takes the radio off the cable and puts it back: it turns silent (or answers\n"
    "again) and prints \"orvelsim: silent\" or \"orvelsim: answering\". A radio put back\n"
    "counts its frames afresh for --nak. With several --image or --id, the radio put back is\n"
    "the next one, with the next configuration and identification (the last ones stay).\n";

struct Options {
    std::string link = "/tmp/orvel-radio";
    std::vector<std::string> imageFiles;
    std::vector<std::string> ids;
    int currentChannel = 1;
    bool garbageId = false;
    RadioBehaviour behaviour;
};

bool ParseInt(std::string_view text, int low, int high, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= low && value <= high;
}

// Returns -1 to go on, otherwise the exit code.
int ParseArguments(int argc, char** argv, Options& options) {
    auto usageError = [](const std::string& message) {
        std::fprintf(stderr, "orvelsim: %s\n%s", message.c_str(), kUsage);
        return kExitUsage;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&](std::string_view& out) {
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };
        auto number = [&](int low, int high, int& out) -> int {
            std::string_view text;
            if (!value(text))
                return usageError(std::string(arg) + " needs a value");
            if (!ParseInt(text, low, high, out)) {
                return usageError(std::string(arg) + " expects a number from " +
                                  std::to_string(low) + " to " + std::to_string(high) + ", not '" +
                                  std::string(text) + "'");
            }
            return -1;
        };
        std::string_view text;
        int result = -1;
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("orvelsim %s\n", orvel::kVersion);
            return 0;
        } else if (arg == "--link" || arg == "--image" || arg == "--id") {
            if (!value(text))
                return usageError(std::string(arg) + " needs a value");
            if (arg == "--link") {
                if (text.empty())
                    return usageError("--link needs a path");
                options.link = text;
            } else if (arg == "--image") {
                options.imageFiles.emplace_back(text);
            } else {
                options.ids.emplace_back(text);
            }
        } else if (arg == "--current") {
            result = number(1, orvel::kChannelCount, options.currentChannel);
        } else if (arg == "--nak") {
            result = number(1, 1'000'000, options.behaviour.nakWriteFrame);
        } else if (arg == "--cut") {
            result = number(0, static_cast<int>(orvel::kImageSize), options.behaviour.cutImage);
        } else if (arg == "--pace") {
            options.behaviour.pace = true;
        } else if (arg == "--silent") {
            options.behaviour.silent = true;
        } else if (arg == "--echo") {
            options.behaviour.echo = true;
        } else if (arg == "--bad-checksum") {
            options.behaviour.badChecksum = true;
        } else if (arg == "--garbage-id") {
            options.garbageId = true;
        } else {
            return usageError("unknown argument '" + std::string(arg) + "'");
        }
        if (result >= 0)
            return result;
    }
    if (options.ids.empty())
        options.ids.push_back(options.behaviour.identity);
    if (options.garbageId) {
        // Keep the length, so the tool receives all eight bytes and has to judge their content.
        for (std::string& id : options.ids) {
            if (id.empty())
                id.push_back('\x07');
            else
                id.back() = '\x07';
        }
    }
    options.behaviour.identity = options.ids.front();
    return -1;
}

bool LoadImage(const std::string& path, orvel::MemoryImage& image) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!orvel::ReadFileBytes(path, bytes, error)) {
        std::fprintf(stderr, "orvelsim: cannot read %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    const orvel::ChannelFileContent content = orvel::ImageFromChannelFile(bytes);
    if (!content.complete) {
        std::fprintf(stderr, "orvelsim: %s holds %zu bytes; a channel file has %zu\n", path.c_str(),
                     bytes.size(), orvel::kImageSize);
        return false;
    }
    const std::uint8_t sum = orvel::ImageChecksum(content.image);
    if (sum != content.image[orvel::layout::kChecksum]) {
        std::fprintf(stderr, "orvelsim: %s has a bad checksum (stored %02X, computed %02X)\n",
                     path.c_str(), content.image[orvel::layout::kChecksum], sum);
        return false;
    }
    image = content.image;
    return true;
}

// Points link at target. Only a symbolic link is replaced, so a mistyped path cannot destroy a
// file; the new link is renamed into place so that no client sees the path missing.
bool MakeLink(const std::string& link, const std::string& target) {
    struct stat st {};
    if (lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        std::fprintf(stderr, "orvelsim: %s exists and is not a symbolic link; not replacing it\n",
                     link.c_str());
        return false;
    }
    const std::string temporary = link + ".orvelsim-" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0 ||
        rename(temporary.c_str(), link.c_str()) != 0) {
        std::fprintf(stderr, "orvelsim: cannot create link %s: %s\n", link.c_str(),
                     std::strerror(errno));
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

// Leaves the link alone when another radio has taken it over meanwhile.
void RemoveLink(const std::string& link, const std::string& target) {
    char buffer[4096];
    const ssize_t length = readlink(link.c_str(), buffer, sizeof buffer);
    if (length >= 0 && std::string_view(buffer, static_cast<std::size_t>(length)) == target) {
        unlink(link.c_str());
    }
}

const char* FrameName(const RadioFrame& frame) {
    switch (frame[1]) {
        case orvel::CmdWriteWord:
            return "write word";
        case orvel::CmdReadWord:
            return "read word";
        case orvel::CmdReadImage:
            return "read image";
        case orvel::CmdSetChannel:
            return "set channel";
        case orvel::CmdIdentify:
            return "identify";
        default:
            return "unknown command";
    }
}

void PrintFrame(const RadioFrame& frame) {
    std::printf("rx");
    for (std::uint8_t b : frame)
        std::printf(" %02X", b);
    std::printf("  %s", FrameName(frame));
    if (frame[1] == orvel::CmdWriteWord) {
        std::printf(" %02X = %02X %02X", frame[2], frame[3], frame[4]);
    } else if (frame[1] == orvel::CmdReadWord) {
        std::printf(" %02X", frame[2]);
    } else if (frame[1] == orvel::CmdSetChannel) {
        std::printf(" %d, squelch %d", frame[2] + 1, frame[3]);
    }
    std::printf("\n");
}

volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t cableToggles = 0;

void OnStopSignal(int) {
    stopRequested = 1;
}

void OnCableSignal(int) {
    cableToggles = cableToggles + 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int exitCode = ParseArguments(argc, argv, options); exitCode >= 0)
        return exitCode;

    std::vector<orvel::MemoryImage> images;
    for (const std::string& file : options.imageFiles) {
        if (!LoadImage(file, images.emplace_back()))
            return kExitImage;
    }
    const orvel::MemoryImage image = images.empty() ? VirtualRadio::DefaultImage() : images.front();

    // The radio's thread starts with the signals blocked, so they always reach this one.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGUSR1);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    action.sa_handler = OnCableSignal;
    sigaction(SIGUSR1, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    VirtualRadio radio(image, options.behaviour);
    radio.SetCurrentChannel(options.currentChannel - 1);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::string error;
    const bool started = radio.Start(&error);
    pthread_sigmask(SIG_UNBLOCK, &stopSignals, nullptr);
    if (!started) {
        std::fprintf(stderr, "orvelsim: cannot start the radio: %s\n", error.c_str());
        return kExitStart;
    }
    const std::string device = radio.DevicePath();
    if (!MakeLink(options.link, device))
        return kExitStart;

    std::printf("orvelsim: radio on %s, linked as\n%s\n", device.c_str(), options.link.c_str());
    std::fflush(stdout);

    // A stop signal cuts the pause short, so the last frames are still printed promptly.
    std::size_t printed = 0;
    std::sig_atomic_t togglesSeen = 0;
    std::size_t radioNumber = 0;
    for (bool last = false; !last;) {
        last = stopRequested != 0;
        if (!last)
            poll(nullptr, 0, 50);
        const std::vector<RadioFrame> frames = radio.Frames();
        for (; printed < frames.size(); ++printed)
            PrintFrame(frames[printed]);
        for (const std::sig_atomic_t toggles = cableToggles; togglesSeen != toggles;
             ++togglesSeen) {
            RadioBehaviour behaviour = radio.Behaviour();
            behaviour.silent = !behaviour.silent;
            // Another radio on the cable, when there are several to put on.
            if (!behaviour.silent && images.size() + options.ids.size() > 2) {
                ++radioNumber;
                if (radioNumber < images.size())
                    radio.SetImage(images[radioNumber]);
                behaviour.identity = options.ids[std::min(radioNumber, options.ids.size() - 1)];
            }
            radio.SetBehaviour(behaviour);
            std::printf("orvelsim: %s\n", behaviour.silent ? "silent" : "answering");
        }
        std::fflush(stdout);
    }

    radio.Stop();
    RemoveLink(options.link, device);
    return 0;
}

// The orvelsim program as a script would run it.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <thread>

#include "channel_file.h"
#include "codec.h"
#include "radio_client.h"
#include "virtual_radio.h"

extern char** environ;

namespace orvel::sim {
namespace {

using namespace probe;
namespace fs = std::filesystem;

// orvelsim with its standard output on a pipe and its standard error in a file.
class Program {
public:
    Program(std::vector<std::string> args, const fs::path& errors) {
        args.insert(args.begin(), ORVELSIM_PATH);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        out_ = out[0];
    }
    ~Program() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
    }

    // A program that never started or has ended must not pass 0 or -1 to kill(): they name the
    // whole process group or every process.
    void Signal(int signal) {
        if (pid_ > 0 && !exited_)
            kill(pid_, signal);
    }

    // The next line of standard output, without its newline.
    std::optional<std::string> Line() {
        for (;;) {
            if (const auto end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            pollfd pfd{out_, POLLIN, 0};
            char chunk[256];
            ssize_t n = 0;
            if (poll(&pfd, 1, 3000) <= 0 || (n = read(out_, chunk, sizeof chunk)) <= 0) {
                return std::nullopt;
            }
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    // The exit code; -1 after a signal or when the program is still running after 3 s.
    int Wait() {
        for (int i = 0; i < 300 && !exited_; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    bool exited_ = false;
    std::string buffer_;
};

class OrvelSim : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvelsim-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        link_ = (dir_ / "radio").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    std::unique_ptr<Program> Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--link", link_});
        return std::make_unique<Program>(std::move(args), dir_ / "stderr");
    }
    // The start-up output ends with the link path, the one line a script needs.
    bool Started(Program& program) {
        for (std::optional<std::string> line; (line = program.Line());) {
            if (*line == link_)
                return true;
        }
        return false;
    }
    // Runs a program that should refuse at once; its exit code and standard error.
    std::pair<int, std::string> Refused(std::vector<std::string> args) {
        const int code = Run(std::move(args))->Wait();
        std::ifstream errors(dir_ / "stderr");
        return {code, std::string(std::istreambuf_iterator<char>(errors), {})};
    }

    fs::path dir_;
    std::string link_;
};

TEST_F(OrvelSim, ServesOverTheLinkAndRemovesItOnSigterm) {
    ASSERT_EQ(symlink("/nonexistent", link_.c_str()), 0);  // a stale link is replaced
    const auto program = Run({});
    ASSERT_TRUE(Started(*program));
    EXPECT_EQ(fs::read_symlink(link_).string().rfind("/dev/pts/", 0), 0u);
    {
        RadioClient client(link_);
        EXPECT_EQ(client.Exchange(MakeFrame(CmdIdentify)), ToBytes("ORVEL-R1"));
    }
    const std::optional<std::string> frameLine = program->Line();
    ASSERT_TRUE(frameLine);
    EXPECT_EQ(frameLine->rfind("rx CC 0F 00 00 00 00 00 0F", 0), 0u) << *frameLine;

    program->Signal(SIGTERM);
    EXPECT_EQ(program->Wait(), 0);
    EXPECT_FALSE(fs::is_symlink(link_));
}

// A production line sees radios come and go on one port; SIGUSR1 plays the technician.
TEST_F(OrvelSim, Sigusr1TakesTheRadioOffTheCableAndPutsItBack) {
    const auto program = Run({"--nak", "2"});
    ASSERT_TRUE(Started(*program));
    RadioClient client(link_);
    const Bytes accepted(kAck.begin(), kAck.end());
    EXPECT_EQ(client.Exchange(MakeFrame(CmdWriteWord, 0, 1, 2)), accepted);
    auto toggled = [&](const std::string& expected) {
        program->Signal(SIGUSR1);
        for (std::optional<std::string> line; (line = program->Line());) {
            if (line->rfind("rx ", 0) != 0)
                return *line == expected;
        }
        return false;
    };
    ASSERT_TRUE(toggled("orvelsim: silent"));
    EXPECT_EQ(client.Unanswered(MakeFrame(CmdIdentify)), Bytes{});
    ASSERT_TRUE(toggled("orvelsim: answering"));
    EXPECT_EQ(client.Exchange(MakeFrame(CmdIdentify)), ToBytes("ORVEL-R1"));
    // Put back, it is another radio: the count behind --nak starts again.
    EXPECT_EQ(client.Exchange(MakeFrame(CmdWriteWord, 0, 1, 2)), accepted);
    EXPECT_NE(client.Exchange(MakeFrame(CmdWriteWord, 0, 1, 2)), accepted);
    program->Signal(SIGTERM);
    EXPECT_EQ(program->Wait(), 0);
}

TEST_F(OrvelSim, ServesTheConfigurationItWasGiven) {
    MemoryImage image = VirtualRadio::DefaultImage();
    image[layout::kSpareA] = 0x99;
    image[layout::kChecksum] = ImageChecksum(image);
    const std::string file = Write("radio.dat", ChannelFileBytes(image));

    const auto program = Run({"--image", file, "--current", "16", "--garbage-id"});
    ASSERT_TRUE(Started(*program));
    RadioClient client(link_);
    const Bytes id = client.Exchange(MakeFrame(CmdIdentify));
    EXPECT_EQ(id.size(), 8u);
    EXPECT_EQ(std::count_if(id.begin(), id.end(), [](auto b) { return !IdentityByteValid(b); }), 1);
    EXPECT_EQ(client.Exchange(MakeFrame(CmdReadImage)), Bytes(image.begin(), image.end()));
    EXPECT_EQ(client.Exchange(MakeFrame(CmdReadWord, 0x60)).at(4), 15);
    program->Signal(SIGINT);
    EXPECT_EQ(program->Wait(), 0);
}

TEST_F(OrvelSim, RefusesBadInputWithoutTouchingTheLinkPath) {
    std::vector<std::uint8_t> bytes = ChannelFileBytes(VirtualRadio::DefaultImage());
    const std::string shortFile = Write("short.dat", {bytes.begin(), bytes.end() - 1});
    bytes[100] ^= 0x01;
    const std::string badSum = Write("bad.dat", bytes);
    const struct {
        std::vector<std::string> args;
        int code;
        std::string message;
    } cases[] = {
        {{"--current", "0"}, 1, "usage:"},    {{"--current", "17"}, 1, "usage:"},
        {{"--current", "3x"}, 1, "usage:"},   {{"--cut", "261"}, 1, "usage:"},
        {{"--nak", "0"}, 1, "usage:"},        {{"--link"}, 1, "usage:"},
        {{"--frobnicate"}, 1, "usage:"},      {{"--image", shortFile}, 2, shortFile},
        {{"--image", badSum}, 2, "checksum"}, {{"--image", link_ + ".dat"}, 2, link_},
    };
    for (const auto& c : cases) {
        const auto [code, errors] = Refused(c.args);
        EXPECT_EQ(code, c.code) << c.args.back();
        EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
    }
    EXPECT_FALSE(fs::is_symlink(link_));

    // Only a symbolic link is ever replaced.
    Write("radio", {'k', 'e', 'e', 'p'});
    const auto [code, errors] = Refused({});
    EXPECT_NE(code, 0);
    EXPECT_NE(errors.find("not a symbolic link"), std::string::npos) << errors;
    EXPECT_EQ(fs::file_size(link_), 4u);
}

}  // namespace
}  // namespace orvel::sim

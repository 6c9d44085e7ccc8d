#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchanges.h"
#include "serial_port.h"
#include "virtual_radio.h"

namespace orvel::testing {

// A virtual radio on a fresh pty and a port opened on it, with hooks that record the log.
class LinkTest : public ::testing::Test {
protected:
    void StartRadio(sim::RadioBehaviour behaviour = {},
                    MemoryImage image = sim::VirtualRadio::DefaultImage()) {
        radio = std::make_unique<sim::VirtualRadio>(image, behaviour);
        std::string error;
        ASSERT_TRUE(radio->Start(&error)) << error;
        ASSERT_EQ(port.OpenDevice(radio->DevicePath()), 1) << port.LastOpenError();
    }

    void TearDown() override {
        port.Close();
        if (radio)
            radio->Stop();
    }

    ExchangeHooks Hooks() {
        ExchangeHooks hooks;
        hooks.line = [this](std::string_view text) { log.emplace_back(text); };
        hooks.linkCheckLine = [this](std::string_view text) { linkLog.emplace_back(text); };
        hooks.progress = [this](int percent) { progress.push_back(percent); };
        // Short real pauses let the radio answer while keeping the suite quick.
        hooks.pause = [this](int ms) {
            pauses.push_back(ms);
            SleepPause(fastPause ? 1 : ms);
        };
        return hooks;
    }

    std::vector<RadioFrame> Sent() const { return radio->Frames(); }

    std::unique_ptr<sim::VirtualRadio> radio;
    SerialPort port;
    std::vector<std::string> log;
    std::vector<std::string> linkLog;
    std::vector<int> progress;
    std::vector<int> pauses;
    bool fastPause = true;
};

}  // namespace orvel::testing

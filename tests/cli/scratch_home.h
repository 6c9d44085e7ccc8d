// What the tests of orvelctl share: a home folder of their own, where the programs they start
// keep their safety copies and look for OrvelTool.ini, never the real home; the INI the
// commands are given; and the configuration as a file shows it.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

#include "channel_file.h"
#include "transfer.h"

namespace orvel {

// The limits of the INI that WriteIni writes.
constexpr FrequencyLimits kLimits{223.0, 235.0};

inline std::string JsonOf(const MemoryImage& image) {
    return ImageToJson(image, DecodeAsShown(image, DecodeSource::FromFile, kLimits));
}

inline std::string CsvOf(const MemoryImage& image) {
    return TableToCsv(DecodeAsShown(image, DecodeSource::FromFile, kLimits).table);
}

inline ChannelTable TableOf(const std::vector<std::uint8_t>& channelFile) {
    return DecodeAsShown(ImageFromChannelFile(channelFile).image, DecodeSource::FromFile, kLimits)
        .table;
}

class ScratchHome : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("HOME", dir_.path());
        env_.insert("XDG_DATA_HOME", Path("data"));
        env_.insert("XDG_CONFIG_HOME", Path("config"));
    }

    // orvel.ini with the frequency limits kLimits and `word` as the special-data frame.
    void WriteIni(const std::string& word) {
        Write("orvel.ini", "[Set]\nMin=223\nMax=235\nWord=" + word + "\n");
    }

    QString Path(const QString& name) const { return dir_.filePath(name); }
    QStringList Backups(const QString& pattern) const {
        return QDir(Path("data/OrvelTool/backups")).entryList({pattern});
    }

    void Write(const QString& name, const std::string& text) {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), static_cast<qint64>(text.size()));
    }
    void Write(const QString& name, const std::vector<std::uint8_t>& bytes) {
        Write(name, std::string(bytes.begin(), bytes.end()));
    }
    std::vector<std::uint8_t> Read(const QString& name) const {
        QFile file(Path(name));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = file.readAll();
        return {bytes.begin(), bytes.end()};
    }

    QTemporaryDir dir_;
    QProcessEnvironment env_;
};

}  // namespace orvel

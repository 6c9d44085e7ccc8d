// A test's own home folder: the programs it starts keep their safety copies and look for
// OrvelTool.ini there, never in the real home.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

namespace orvel {

class ScratchHome : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("HOME", dir_.path());
        env_.insert("XDG_DATA_HOME", Path("data"));
        env_.insert("XDG_CONFIG_HOME", Path("config"));
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

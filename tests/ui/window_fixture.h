// Set-up shared by the window tests: virtual radios, the settings file beside the program, the
// view's dialogs caught and answered, its log and its controls.
#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QtTest>
#include <memory>

#include "cmainframe.h"
#include "corveltoolview.h"
#include "under_wine.h"
#include "virtual_radio.h"

// A case about something only POSIX has (signals, symbolic links to devices, resource limits)
// is skipped on Windows with its reason, which the test run's summary lists.
#ifdef _WIN32
#define ORVEL_POSIX_ONLY(reason) QSKIP("POSIX only: " reason)
#else
#define ORVEL_POSIX_ONLY(reason)
#endif

namespace orvel::test {

// A case that plays what wine's serial driver does otherwise than Windows is skipped under wine
// only, with its reason; on Windows itself it runs.
#define ORVEL_NOT_UNDER_WINE(reason)                \
    do {                                            \
        if (orvel::test::UnderWine())               \
            QSKIP("wine's serial driver: " reason); \
    } while (false)
#define HELD_PORT_OPENS_TWICE \
    "a COM port held by another handle opens again, where Windows refuses it as in use"
#define LOST_PORT_NOT_TOLD \
    "a COM port whose pseudo-terminal closed is not reported lost, as Windows reports \
an unplugged adapter"

// A virtual radio on a fresh terminal; no window test can go on without one.
inline std::unique_ptr<sim::VirtualRadio> StartedRadio(
    sim::RadioBehaviour behaviour = {},
    const MemoryImage& image = sim::VirtualRadio::DefaultImage()) {
    auto radio = std::make_unique<sim::VirtualRadio>(image, behaviour);
    if (!radio->Start())
        qFatal("no virtual radio");
    return radio;
}

inline QString Device(const sim::VirtualRadio& radio) {
    return QString::fromStdString(radio.DevicePath());
}

// OrvelTool.ini beside the test program; each window test has a folder of its own.
inline QString IniPath() {
    return QCoreApplication::applicationDirPath() + "/OrvelTool.ini";
}

// A file's bytes, or none when it cannot be read.
inline QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteIni(const QByteArray& content) {
    QFile file(IniPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

inline QStringList LogLines(const COrvelToolView& view) {
    return view.logText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

// A command's action, found by its name.
inline QAction* ActionOf(const QObject& window, const char* name) {
    auto* action = window.findChild<QAction*>(QLatin1String(name));
    if (action == nullptr)
        qFatal("no action %s", name);
    return action;
}
// The command, as its menu item runs it; a disabled one does nothing.
inline void Trigger(const QObject& window, const char* name) {
    ActionOf(window, name)->trigger();
}

template <typename T>
T* Control(const QObject* parent, const char* objectName) {
    return parent->findChild<T*>(QLatin1String(objectName));
}

// What a window test holds besides its window: the radio, and the view's message boxes,
// recorded and answered with `answer`, and file dialogs, which choose `chosenFile`.
struct WindowFixture {
    std::unique_ptr<sim::VirtualRadio> radio;
    struct Shown {
        QMessageBox::Icon icon;
        QString caption;
        QString text;
    };
    QList<Shown> shown;
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    QString chosenFile;
    // The dialogs the window shows, for a case that answers one as the user does.
    COrvelToolView::Dialogs shownDialogs;

    void Catch(COrvelToolView& view) {
        shown.clear();
        shownDialogs = view.dialogs();
        view.dialogs().message = [this](QMessageBox::Icon icon, const QString& caption,
                                        const QString& text, QMessageBox::StandardButtons) {
            shown.append({icon, caption, text});
            return answer;
        };
        view.dialogs().fileName = [this](bool, const QString&) { return chosenFile; };
        view.dialogs().transferFile = view.dialogs().fileName;
    }
    // The window in its frame as the program builds it, its boxes caught, started on `port`
    // (the configured port when empty).
    void StartWindow(std::unique_ptr<CMainFrame>& frame, COrvelToolView*& view,
                     const QString& port) {
        view = new COrvelToolView;
        frame = std::make_unique<CMainFrame>(view, view);
        view->setProgressBar(frame->progressBar());
        Catch(*view);
        COrvelToolView::StartOptions options;
        options.portOverride = port;
        view->OnInitialUpdate(options);
    }
    // Each test starts without a settings file and leaves none behind; the window goes first.
    void Begin() {
        QFile::remove(IniPath());
        answer = QMessageBox::Yes;
    }
    void End() {
        radio.reset();
        QFile::remove(IniPath());
    }
    QStringList Texts() const {
        QStringList texts;
        for (const Shown& box : shown)
            texts << box.text;
        return texts;
    }
};

}  // namespace orvel::test

// The one configuration the window edits: the channels, the settings and the bytes of the image
// that neither holds (header, spare words), with the frequency limits, the file it belongs to
// and the state last kept. Every view reads it and every change goes through it, as one step of
// its undo stack, so undo, the unsaved mark, Save and the write all see the same thing.
#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <functional>
#include <optional>
#include <string>

#include "channel_edit.h"
#include "memory_image.h"

namespace orvel {

struct DocumentState {
    orvel::ChannelTable table = orvel::EmptyChannelTable();
    orvel::RadioSettings settings{};
    // Header and spare words; the channel and settings bytes are coded from the two above.
    orvel::MemoryImage image = orvel::StartupImage();
    // The settings as they were shown when `image` came.
    orvel::RadioSettings settingsAsHeld{};

    // The 260 bytes a save or a write starts from: `image` with the table and settings coded in.
    orvel::MemoryImage encoded() const;
    bool operator==(const DocumentState& other) const;
};

// The plan a document was opened from, and the unit it was opened for (empty: none), so that
// the window's title names them and a write's record says whether the plan's bytes went out.
struct PlanOrigin {
    std::string unit;
    std::string plan;
    int version = 0;
    std::string sha256;
};

class Document : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxSteps = 100;

    explicit Document(QObject* parent = nullptr);

    const DocumentState& state() const { return m_state; }
    const orvel::ChannelTable& table() const { return m_state.table; }
    const orvel::RadioSettings& settings() const { return m_state.settings; }
    orvel::MemoryImage encoded() const { return m_state.encoded(); }

    // A change as one step named `label` (the text its log line says, e.g. "数据设置 [信道3]").
    // A change that leaves the state as it was is no step. Returns whether it was one.
    bool Change(const QString& label, const std::function<void(DocumentState&)>& edit);
    bool ChangeTo(const QString& label, const DocumentState& state);
    // Shows a state that is no step of its own (a read in progress); Restore puts back one
    // shown before.
    void Show(const DocumentState& state);

    QUndoStack& undoStack() { return m_undoStack; }

    const orvel::FrequencyLimits& limits() const { return m_limits; }
    void setLimits(const orvel::FrequencyLimits& limits) { m_limits = limits; }

    const QString& filePath() const { return m_filePath; }
    // Any file, or none, ends what the document was opened from.
    void setFilePath(const QString& path);
    const std::optional<PlanOrigin>& origin() const { return m_origin; }
    void setOrigin(const PlanOrigin& origin);

    // Changes neither saved nor written to the radio: the whole state differs from the one
    // last opened, read, saved or written.
    bool isModified() const { return !(m_state == m_kept); }
    void MarkKept();

signals:
    // After every change of the state: a step, an undo, a redo, Show.
    void changed();
    void modifiedChanged(bool modified);
    void filePathChanged(const QString& path);
    // "撤销：…" or "重做：…", for the log.
    void stepLogged(const QString& line);

private:
    friend class DocumentStep;
    void Put(const DocumentState& state);

    DocumentState m_state;
    DocumentState m_kept;
    orvel::FrequencyLimits m_limits;
    QString m_filePath;
    std::optional<PlanOrigin> m_origin;
    bool m_modified = false;
    QUndoStack m_undoStack;
};

}  // namespace orvel

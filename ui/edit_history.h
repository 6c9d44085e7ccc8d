// Undo and redo over what the technician edits: each step keeps the window as it was before
// and after a change (the channel list, the radio-wide settings and the edit panel), so a step
// back restores all three whatever the change touched.
#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <functional>

#include "channel_edit.h"
#include "document.h"

class MessageLog;

// The window's editable state at one moment.
struct EditSnapshot {
    WorkState work;
    orvel::EditPanel panel;
    orvel::EditPanel panelAsLoaded;  // what the panel held when last loaded or confirmed
    orvel::InvalidFlags invalid;
};

class EditHistory : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxSteps = 100;

    explicit EditHistory(MessageLog& log);

    // Set by the view: how the window's state is taken and put back.
    std::function<EditSnapshot()> capture;
    std::function<void(const EditSnapshot&)> restore;

    // The one way a change becomes a step: the state is taken before and after `apply`, and a
    // change of the list or the settings is recorded as `label`, the text the change logs
    // (e.g. "数据设置 [信道3]"). A change made inside another is part of the outer step.
    void Change(const QString& label, const std::function<void()>& apply);
    // As Change, but recorded only when `apply` returns true (a read that got the image).
    bool ChangeIf(const QString& label, const std::function<bool()>& apply);
    // A setting the user has already changed on the panel; `before` is its choice until then.
    void SettingChanged(const QString& label, const orvel::RadioSettings& before);

    bool CanUndo() const { return done_ > 0; }
    bool CanRedo() const { return done_ < steps_.size(); }
    // Back to the state before the last step done, logging "撤销：LABEL"; Redo does it again.
    void Undo();
    void Redo();

signals:
    // After every step recorded, undone or redone.
    void changed();

private:
    struct Step {
        QString label;
        EditSnapshot before;
        EditSnapshot after;
    };
    void Record(const QString& label, const EditSnapshot& before, const EditSnapshot& after);

    MessageLog& log_;
    std::deque<Step> steps_;
    std::size_t done_ = 0;  // steps_[0..done_) are done, the rest can be redone
    int depth_ = 0;
};

#include "edit_history.h"

#include "message_log.h"

EditHistory::EditHistory(MessageLog& log) : log_(log) {}

void EditHistory::Change(const QString& label, const std::function<void()>& apply) {
    ChangeIf(label, [&apply] {
        apply();
        return true;
    });
}

bool EditHistory::ChangeIf(const QString& label, const std::function<bool()>& apply) {
    if (depth_ > 0)
        return apply();
    const EditSnapshot before = capture();
    ++depth_;
    const bool done = apply();
    --depth_;
    if (done)
        Record(label, before, capture());
    return done;
}

void EditHistory::SettingChanged(const QString& label, const orvel::RadioSettings& before) {
    if (depth_ > 0)
        return;
    const EditSnapshot after = capture();
    EditSnapshot previous = after;
    previous.work.settings = before;
    Record(label, previous, after);
}

void EditHistory::Record(const QString& label, const EditSnapshot& before,
                         const EditSnapshot& after) {
    // Only the list and the settings make a step: a panel that merely shows another row is not
    // an edit to take back.
    if (before.work == after.work)
        return;
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(done_), steps_.end());
    steps_.push_back({label, before, after});
    if (steps_.size() > kMaxSteps)
        steps_.pop_front();
    done_ = steps_.size();
    emit changed();
}

void EditHistory::Undo() {
    if (!CanUndo())
        return;
    const Step& step = steps_[--done_];
    ++depth_;
    restore(step.before);
    --depth_;
    log_.AppendLog(tr("撤销：%1").arg(step.label));
    emit changed();
}

void EditHistory::Redo() {
    if (!CanRedo())
        return;
    const Step& step = steps_[done_++];
    ++depth_;
    restore(step.after);
    --depth_;
    log_.AppendLog(tr("重做：%1").arg(step.label));
    emit changed();
}

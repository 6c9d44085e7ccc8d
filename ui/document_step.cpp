#include "document_step.h"

#include <QCoreApplication>

DocumentStep::DocumentStep(Document& document, const QString& label, DocumentState before,
                           DocumentState after)
    : QUndoCommand(label),
      document_(document),
      before_(std::move(before)),
      after_(std::move(after)) {}

void DocumentStep::undo() {
    document_.Put(before_);
    emit document_.stepLogged(QCoreApplication::translate("Document", "撤销：%1").arg(text()));
}

void DocumentStep::redo() {
    document_.Put(after_);
    if (!pushed_) {
        pushed_ = true;
        return;
    }
    emit document_.stepLogged(QCoreApplication::translate("Document", "重做：%1").arg(text()));
}

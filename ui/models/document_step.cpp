#include "document_step.h"

#include <QCoreApplication>

namespace orvel {

DocumentStep::DocumentStep(Document& document, const QString& label, DocumentState before,
                           DocumentState after)
    : QUndoCommand(label),
      m_document(document),
      m_before(std::move(before)),
      m_after(std::move(after)) {}

void DocumentStep::undo() {
    m_document.Put(m_before);
    emit m_document.stepLogged(
        QCoreApplication::translate("orvel::Document", "撤销：%1").arg(text()));
}

void DocumentStep::redo() {
    m_document.Put(m_after);
    if (!m_pushed) {
        m_pushed = true;
        return;
    }
    emit m_document.stepLogged(
        QCoreApplication::translate("orvel::Document", "重做：%1").arg(text()));
}

}  // namespace orvel

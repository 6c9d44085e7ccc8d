// One undoable change of the document: the whole state before and after it.
#pragma once

#include <QUndoCommand>

#include "document.h"

namespace orvel {

class DocumentStep : public QUndoCommand {
public:
    DocumentStep(Document& document, const QString& label, DocumentState before,
                 DocumentState after);

    void undo() override;
    void redo() override;

private:
    Document& m_document;
    DocumentState m_before;
    DocumentState m_after;
    bool m_pushed = false;  // the first redo is the change itself, not a redo to log
};

}  // namespace orvel

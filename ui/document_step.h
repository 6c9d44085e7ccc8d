// One undoable change of the document: the whole state before and after it.
#pragma once

#include <QUndoCommand>

#include "document.h"

class DocumentStep : public QUndoCommand {
public:
    DocumentStep(Document& document, const QString& label, DocumentState before,
                 DocumentState after);

    void undo() override;
    void redo() override;

private:
    Document& document_;
    DocumentState before_;
    DocumentState after_;
    bool pushed_ = false;  // the first redo is the change itself, not a redo to log
};

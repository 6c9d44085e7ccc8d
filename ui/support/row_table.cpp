#include "row_table.h"

#include <QHeaderView>
#include <QTableView>

namespace orvel {

void SetUpRowTable(QTableView* view, const char* objectName, const QString& accessibleName,
                   QAbstractItemView::SelectionMode mode) {
    view->setObjectName(QString::fromLatin1(objectName));
    view->setAccessibleName(accessibleName);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(mode);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
}

}  // namespace orvel

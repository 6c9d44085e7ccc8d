// The read-only tables of the dialogs that list ports, records, plans and units.
#pragma once

#include <QAbstractItemView>
#include <QString>

class QTableView;

namespace orvel {

// Rows are chosen whole, never edited in place, without row numbers, the last column taking
// the room left; the table is named for tests and for a screen reader.
void SetUpRowTable(QTableView* view, const char* objectName, const QString& accessibleName,
                   QAbstractItemView::SelectionMode mode = QAbstractItemView::SingleSelection);

}  // namespace orvel

#pragma once

#include "db/PendingSources.h"

#include <QAbstractListModel>
#include <QList>

namespace robot {

// One pending list as the window shows it: the display text of each document. Refreshed every
// second, it changes only the rows that changed (a document gone, a new one, a new text), so the
// operator's selection and scrolling stay where they were.
class PendingListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // The list as it is now, in its order; a document is known again by its code.
    void show(const QList<PendingDocument> &documents);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    void remove(int first, int last);

    QList<PendingDocument> rows;
};

} // namespace robot

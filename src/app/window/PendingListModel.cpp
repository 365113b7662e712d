#include "PendingListModel.h"

namespace robot {

namespace {

// A code that is not a whole number is told apart by its text (it is never printed).
bool sameDocument(const PendingDocument &a, const PendingDocument &b) {
    if (a.codigoValid != b.codigoValid)
        return false;
    return a.codigoValid ? a.codigo == b.codigo : a.codigoText == b.codigoText;
}

} // namespace

void PendingListModel::show(const QList<PendingDocument> &documents) {
    for (int i = 0; i < documents.size(); ++i) {
        const PendingDocument &document = documents[i];
        int found = i;
        while (found < rows.size() && !sameDocument(rows[found], document))
            ++found;
        if (found == rows.size()) {
            beginInsertRows({}, i, i);
            rows.insert(i, document);
            endInsertRows();
            continue;
        }
        // The rows before it are gone (or come later, when the order changed).
        if (found > i)
            remove(i, found - 1);
        if (rows[i].vistaEspecial != document.vistaEspecial) {
            rows[i] = document;
            emit dataChanged(index(i), index(i), {Qt::DisplayRole});
        }
    }
    if (rows.size() > documents.size())
        remove(int(documents.size()), int(rows.size()) - 1);
}

void PendingListModel::remove(int first, int last) {
    beginRemoveRows({}, first, last);
    rows.remove(first, last - first + 1);
    endRemoveRows();
}

int PendingListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(rows.size());
}

QVariant PendingListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rows.size())
        return {};
    if (role == Qt::DisplayRole)
        return rows[index.row()].vistaEspecial;
    return {};
}

} // namespace robot

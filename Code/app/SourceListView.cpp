#include "SourceListView.h"

#include <QHeaderView>
#include <algorithm>

#include "Models.h"

TSourceListView::TSourceListView(QWidget* parent) : QTreeView(parent) {
    setObjectName("dxTreeSourceFileInfo");
    // Header settings before the model: changing the last section's
    // stretch after a column is hidden makes the header leave room for it.
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* columns = new QStandardItemModel(0, SourceColumnCount, this);
    columns->setHorizontalHeaderLabels(
        {QString(), "File Name", "File Size", "Duration", "Start Time", "End Time", "Cut Time"});
    setModel(columns);
    setColumnHidden(colCheck, true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void TSourceListView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    // Each column gets its design share of the width, but never less than
    // its caption needs; the file name takes what is left.
    static const int kWeights[SourceColumnCount] = {0, 68, 28, 28, 28, 28, 28};
    int total = 0;
    for (int weight : kWeights) total += weight;
    const int width = viewport()->width();
    int used = 0;
    for (int column = colFileSize; column < SourceColumnCount; ++column) {
        const int share = width * kWeights[column] / total;
        const QString caption = model()->headerData(column, Qt::Horizontal).toString();
        const int needed = header()->fontMetrics().horizontalAdvance(caption) + 14;
        const int columnWidth = std::max(share, needed);
        setColumnWidth(column, columnWidth);
        used += columnWidth;
    }
    setColumnWidth(colFileName, std::max(width - used, width * kWeights[colFileName] / total / 2));
}

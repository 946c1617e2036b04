// The source list dxTreeSourceFileInfo: a flat grid of the source rows with
// the check column hidden and six visible columns.
#pragma once

#include <QStandardItemModel>
#include <QTreeView>

class TSourceListView : public QTreeView {
    Q_OBJECT
  public:
    explicit TSourceListView(QWidget* parent);

  protected:
    // The columns share the list's width in their design proportions.
    void resizeEvent(QResizeEvent* event) override;
};

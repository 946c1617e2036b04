// The source list dxTreeSourceFileInfo: a flat grid over the source list
// model, with the check column hidden and six visible columns; and the drop
// target through which local files dropped anywhere on the main window
// reach the list.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QTreeView>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "Models.h"

class QMimeData;

// Rows dragged out of the list carry this type and nothing else: no file
// address and no text, so no other program can move or copy a source file.
inline constexpr char kSourceRowsMimeType[] = "application/x-orvanel-source-rows";

// The local files a drop carries, each path byte for byte as the file
// system names it; none when the drop holds rows of the list.
std::vector<std::string> DroppedFilePaths(const QMimeData* data);

// The Qt model of a source list. It follows every change of the list; the
// view it serves hears of selection, focus and row changes through
// OnStateChanged once the model is consistent again.
class TSourceListModel : public QAbstractTableModel, private ISourceListListener {
    Q_OBJECT
  public:
    explicit TSourceListModel(TSourceList& list, QObject* parent = nullptr);
    ~TSourceListModel() override;

    TSourceList& List() const { return list_; }
    // True between the list's announcement of a row change and its end,
    // while Qt's own bookkeeping of selection and focus is not to be trusted.
    bool Changing() const { return changing_; }
    std::function<void()> OnStateChanged;
    std::function<void(bool suspended)> OnUpdatesSuspended;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    void RowsAboutToBeInserted(int first, int last) override;
    void RowsInserted() override;
    void RowsAboutToBeRemoved(int first, int last) override;
    void RowsRemoved() override;
    void AboutToReset() override;
    void Reset() override;
    void DataChanged(int row, int column) override;
    void SelectionChanged() override;
    void FocusChanged() override;
    void UpdatesSuspended(bool suspended) override;
    void StateChanged();

    TSourceList& list_;
    bool changing_ = false;
};

class TSourceListView : public QTreeView {
    Q_OBJECT
  public:
    // Column widths as designed; the list scales them to its width.
    static constexpr std::array<int, SourceColumnCount> kDesignWidths = {16, 68, 28, 28,
                                                                         28, 28, 28};

    explicit TSourceListView(QWidget* parent);

    // Shows the list and keeps the view's selection and current row and
    // the list's selection and focused row the same, both ways.
    void Bind(TSourceList& list);
    TSourceListModel* SourceModel() const { return adapter_; }

    // The owner's handlers. OnKeyDown gets a virtual key code for every key
    // pressed in the list; OnEndDrag hears where a drag of rows that started
    // here ended; OnEditing decides whether a cell may be edited (refused
    // when unset).
    std::function<void(int key)> OnKeyDown;
    std::function<void(bool droppedOnList)> OnEndDrag;
    std::function<bool()> OnEditing;

    // The virtual key code of a Qt key: Delete is 46; keys the program does
    // not look at give 0.
    static int VirtualKeyCode(int qtKey);
    using QTreeView::edit;
    // The end of a drag of rows that started in this list.
    void EndDrag(bool droppedOnList);
    // Gives each visible column its share of the list's width.
    void ScaleColumns();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void ShowListState();
    void TakeViewSelection();
    void TakeViewFocus(const QModelIndex& current);
    bool IsOwnRowDrag(const QDropEvent* event) const;
    void TakeUserWidths();
    int MinimumWidth(int column) const;

    TSourceListModel* adapter_ = nullptr;
    bool syncing_ = false;
    bool droppedHere_ = false;
    std::array<int, SourceColumnCount> weights_ = kDesignWidths;
};

// Takes local files dropped on a window or on any of its controls (drops
// that the controls do not take themselves reach the window) and hands
// their paths to onDrop once the drop has finished, as a message posted
// after it. Files are only ever copied from, never moved. Nothing is taken
// while contents is disabled, or for rows dragged out of the source list.
class TFileDropTarget : public QObject {
    Q_OBJECT
  public:
    TFileDropTarget(QWidget* window, QWidget* contents,
                    std::function<void(const std::vector<std::string>&)> onDrop);
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool Takes(const QDropEvent* event) const;

    QPointer<QWidget> contents_;
    std::function<void(const std::vector<std::string>&)> onDrop_;
};

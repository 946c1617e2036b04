#include "SourceListView.h"

#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QMimeData>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QUrl>
#include <algorithm>
#include <numeric>

#include "QtText.h"

namespace {

constexpr int kVkDelete = 46;

const char* const kCaptions[SourceColumnCount] = {
    "", "File Name", "File Size", "Duration", "Start Time", "End Time", "Cut Time"};

class TGridDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        // Whole rows are selected and focused: no frame around one cell.
        option->state &= ~QStyle::State_HasFocus;
        // Paths lose their head, not their file name, when the column is narrow.
        if (index.column() == colFileName) option->textElideMode = Qt::ElideLeft;
    }
};

}  // namespace

std::vector<std::string> DroppedFilePaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (data == nullptr || data->hasFormat(kSourceRowsMimeType) || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        if (url.host().isEmpty() || url.host() == "localhost") {
            // From the address's own bytes: a name that is not valid UTF-8
            // would lose bytes on its way through a QString.
            const QByteArray path =
                QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
            paths.push_back(path.toStdString());
        } else {
            paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
        }
    }
    return paths;
}

// --- TSourceListModel

TSourceListModel::TSourceListModel(TSourceList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {
    list_.SetListener(this);
}

TSourceListModel::~TSourceListModel() {
    list_.SetListener(nullptr);
}

int TSourceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.RowCount();
}

int TSourceListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : SourceColumnCount;
}

QVariant TSourceListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= list_.RowCount()) return {};
    if (role == Qt::DisplayRole) return ToQString(list_.Text(index.row(), index.column()));
    // The path may not fit its column; the whole of it shows on hovering.
    if (role == Qt::ToolTipRole && index.column() == colFileName)
        return ToQString(list_.Text(index.row(), colFileName));
    return {};
}

QVariant TSourceListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= SourceColumnCount)
        return {};
    return QString::fromLatin1(kCaptions[section]);
}

Qt::ItemFlags TSourceListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
    // The trim columns count as editable, so every attempt to edit them
    // reaches the editing handler, which refuses it.
    if (index.column() >= colStartTime) flags |= Qt::ItemIsEditable;
    return flags;
}

void TSourceListModel::RowsAboutToBeInserted(int first, int last) {
    changing_ = true;
    beginInsertRows(QModelIndex(), first, last);
}

void TSourceListModel::RowsInserted() {
    endInsertRows();
    changing_ = false;
    StateChanged();
}

void TSourceListModel::RowsAboutToBeRemoved(int first, int last) {
    changing_ = true;
    beginRemoveRows(QModelIndex(), first, last);
}

void TSourceListModel::RowsRemoved() {
    endRemoveRows();
    changing_ = false;
    StateChanged();
}

void TSourceListModel::AboutToReset() {
    changing_ = true;
    beginResetModel();
}

void TSourceListModel::Reset() {
    endResetModel();
    changing_ = false;
    StateChanged();
}

void TSourceListModel::DataChanged(int row, int column) {
    if (row < 0 || column < 0) {
        // A refresh of everything.
        if (list_.RowCount() > 0)
            emit dataChanged(index(0, 0), index(list_.RowCount() - 1, SourceColumnCount - 1));
        return;
    }
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell);
}

void TSourceListModel::SelectionChanged() {
    StateChanged();
}

void TSourceListModel::FocusChanged() {
    StateChanged();
}

void TSourceListModel::UpdatesSuspended(bool suspended) {
    if (OnUpdatesSuspended) OnUpdatesSuspended(suspended);
}

void TSourceListModel::StateChanged() {
    if (OnStateChanged) OnStateChanged();
}

// --- TSourceListView

TSourceListView::TSourceListView(QWidget* parent) : QTreeView(parent) {
    setObjectName("dxTreeSourceFileInfo");
    // Header settings before the model: changing the last section's
    // stretch after a column is hidden makes the header leave room for it.
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionResizeMode(QHeaderView::Interactive);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // The ways a cell editor would open; each asks the editing handler first.
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setItemDelegate(new TGridDelegate(this));
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    // The selection keeps its colour while another control has the focus.
    QPalette colours = palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    setPalette(colours);
    // Qt resizes sections for reasons of its own too; only what the mouse
    // did on the header counts as the user's choice.
    header()->viewport()->installEventFilter(this);
}

bool TSourceListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == header()->viewport() && (event->type() == QEvent::MouseButtonRelease ||
                                            event->type() == QEvent::MouseButtonDblClick)) {
        // After the header has done what the click asks for.
        QMetaObject::invokeMethod(
            this, [this] { TakeUserWidths(); }, Qt::QueuedConnection);
    }
    return QTreeView::eventFilter(watched, event);
}

void TSourceListView::TakeUserWidths() {
    // The user's widths become the proportions kept from then on.
    for (int column = colFileName; column < SourceColumnCount; ++column)
        weights_[static_cast<size_t>(column)] = std::max(1, columnWidth(column));
}

void TSourceListView::Bind(TSourceList& list) {
    QAbstractItemModel* old = model();
    adapter_ = new TSourceListModel(list, this);
    setModel(adapter_);
    if (old != nullptr && old->parent() == this) delete old;
    setColumnHidden(colCheck, true);
    adapter_->OnStateChanged = [this] { ShowListState(); };
    adapter_->OnUpdatesSuspended = [this](bool suspended) { setUpdatesEnabled(!suspended); };
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { TakeViewSelection(); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { TakeViewFocus(current); });
    ShowListState();
    ScaleColumns();
}

void TSourceListView::ShowListState() {
    if (adapter_ == nullptr || syncing_ || adapter_->Changing()) return;
    const QScopedValueRollback<bool> guard(syncing_, true);
    const TSourceList& list = adapter_->List();
    QItemSelectionModel* view = selectionModel();

    bool same = true;
    for (int row = 0; same && row < list.RowCount(); ++row)
        same = list.IsSelected(row) == view->rowIntersectsSelection(row, QModelIndex());
    if (!same) {
        // One range per run of selected rows.
        QItemSelection selection;
        const int last = SourceColumnCount - 1;
        for (int row = 0; row < list.RowCount(); ++row) {
            if (!list.IsSelected(row)) continue;
            int end = row;
            while (end + 1 < list.RowCount() && list.IsSelected(end + 1)) ++end;
            selection.select(adapter_->index(row, 0), adapter_->index(end, last));
            row = end;
        }
        view->select(selection, QItemSelectionModel::ClearAndSelect);
    }

    const int focused = list.FocusedRow();
    const QModelIndex current = view->currentIndex();
    if ((current.isValid() ? current.row() : -1) != focused) {
        const QModelIndex row =
            focused >= 0 ? adapter_->index(focused, colFileName) : QModelIndex();
        view->setCurrentIndex(row, QItemSelectionModel::NoUpdate);
    }
}

void TSourceListView::TakeViewSelection() {
    if (adapter_ == nullptr || syncing_ || adapter_->Changing()) return;
    const QScopedValueRollback<bool> guard(syncing_, true);
    TSourceList& list = adapter_->List();
    for (int row = 0; row < list.RowCount(); ++row) {
        const bool selected = selectionModel()->rowIntersectsSelection(row, QModelIndex());
        if (list.IsSelected(row) != selected) list.SetSelected(row, selected);
    }
}

void TSourceListView::TakeViewFocus(const QModelIndex& current) {
    if (adapter_ == nullptr || syncing_ || adapter_->Changing()) return;
    const QScopedValueRollback<bool> guard(syncing_, true);
    TSourceList& list = adapter_->List();
    const int row = current.isValid() ? current.row() : -1;
    if (list.FocusedRow() != row) list.SetFocusedRow(row);
}

void TSourceListView::ScaleColumns() {
    if (adapter_ == nullptr) return;
    const int width = viewport()->width();
    if (width <= 0) return;
    const int total = std::accumulate(weights_.begin() + colFileName, weights_.end(), 0);
    // Each column gets its share of the width, but never less than its
    // caption and its longest text need; the file name takes what is left.
    int used = 0;
    for (int column = colFileSize; column < SourceColumnCount; ++column) {
        const int share = width * weights_[static_cast<size_t>(column)] / total;
        const int columnWidth = std::max(share, MinimumWidth(column));
        setColumnWidth(column, columnWidth);
        used += columnWidth;
    }
    const int nameShare = width * weights_[colFileName] / total;
    setColumnWidth(colFileName, std::max(width - used, nameShare / 2));
}

int TSourceListView::MinimumWidth(int column) const {
    // Room for the caption and its padding, and for the longest text the
    // column holds: sizes up to four digits and two decimals, time texts.
    static const QString kLongest[SourceColumnCount] = {
        "", "", "1023.99 KB", "00:00:00", "00:00:00", "00:00:00", "00:00:00"};
    constexpr int kCaptionPadding = 14;
    constexpr int kCellPadding = 10;
    const QString caption = model()->headerData(column, Qt::Horizontal).toString();
    return std::max(header()->fontMetrics().horizontalAdvance(caption) + kCaptionPadding,
                    fontMetrics().horizontalAdvance(kLongest[column]) + kCellPadding);
}

bool TSourceListView::viewportEvent(QEvent* event) {
    const bool handled = QTreeView::viewportEvent(event);
    // Also when the vertical scroll bar comes or goes, not only when the
    // list resizes. A change of height alone (the horizontal scroll bar
    // after the user widened a column) leaves the user's widths alone.
    if (event->type() == QEvent::Resize) {
        const auto* resize = static_cast<QResizeEvent*>(event);
        if (resize->size().width() != resize->oldSize().width()) ScaleColumns();
    }
    return handled;
}

int TSourceListView::VirtualKeyCode(int qtKey) {
    return qtKey == Qt::Key_Delete ? kVkDelete : 0;
}

void TSourceListView::keyPressEvent(QKeyEvent* event) {
    const int key = VirtualKeyCode(event->key());
    if (OnKeyDown) OnKeyDown(key);
    if (key == kVkDelete) {
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

bool TSourceListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // Only the calls that would open an editor ask the handler; item views
    // also call this on every plain click.
    const bool opens = trigger == AllEditTriggers || (editTriggers() & trigger) != 0;
    if (opens && index.isValid() && (index.flags() & Qt::ItemIsEditable)) {
        const bool allowed = OnEditing ? OnEditing() : false;
        if (!allowed) return false;
    }
    return QTreeView::edit(index, trigger, event);
}

void TSourceListView::startDrag(Qt::DropActions) {
    // Qt's own drag would attach the rows' data and remove rows only after
    // an accepted move; here the rows go whenever the drop misses the list.
    if (adapter_ == nullptr || adapter_->List().SelectedCount() == 0) return;
    auto* data = new QMimeData;
    data->setData(kSourceRowsMimeType, QByteArray());
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isRowSelected(current.row(), QModelIndex())) {
        QRect row = visualRect(current.siblingAtColumn(colFileName));
        row.setRight(viewport()->width() - 1);
        row = row.intersected(viewport()->rect());
        if (!row.isEmpty()) {
            drag->setPixmap(viewport()->grab(row));
            drag->setHotSpot(viewport()->mapFromGlobal(QCursor::pos()) - row.topLeft());
        }
    }
    droppedHere_ = false;
    drag->exec(Qt::MoveAction, Qt::MoveAction);
    EndDrag(droppedHere_);
}

void TSourceListView::EndDrag(bool droppedOnList) {
    if (OnEndDrag) OnEndDrag(droppedOnList);
}

bool TSourceListView::IsOwnRowDrag(const QDropEvent* event) const {
    return event->source() == this && event->mimeData()->hasFormat(kSourceRowsMimeType);
}

// Rows of the list are always welcome over it; anything else (files) is
// left to the window, which adds dropped files wherever they land.
void TSourceListView::dragEnterEvent(QDragEnterEvent* event) {
    if (IsOwnRowDrag(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TSourceListView::dragMoveEvent(QDragMoveEvent* event) {
    if (IsOwnRowDrag(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TSourceListView::dropEvent(QDropEvent* event) {
    if (!IsOwnRowDrag(event)) {
        event->ignore();
        return;
    }
    droppedHere_ = true;
    event->acceptProposedAction();
}

// --- TFileDropTarget

TFileDropTarget::TFileDropTarget(QWidget* window, QWidget* contents,
                                 std::function<void(const std::vector<std::string>&)> onDrop)
    : QObject(window), contents_(contents), onDrop_(std::move(onDrop)) {
    window->installEventFilter(this);
}

bool TFileDropTarget::Takes(const QDropEvent* event) const {
    if (contents_ && !contents_->isEnabled()) return false;
    // A move would let the file's source delete it once the drop is done.
    if (!(event->possibleActions() & Qt::CopyAction)) return false;
    return !DroppedFilePaths(event->mimeData()).empty();
}

bool TFileDropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (Takes(drag)) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!Takes(drop)) {
                drop->ignore();
                return true;
            }
            std::vector<std::string> paths = DroppedFilePaths(drop->mimeData());
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            // Probing and its message boxes wait until the other program's
            // drag has ended.
            QMetaObject::invokeMethod(
                this, [this, paths = std::move(paths)] { onDrop_(paths); }, Qt::QueuedConnection);
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

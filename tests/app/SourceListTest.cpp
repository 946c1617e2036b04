// The source list on screen: the grid over the list model and their
// two-way selection, the open dialog's filters, files dropped on the main
// window, and the actions that remove rows.
#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>

#include "FuncObjects.h"
#include "QtPorts.h"
#include "QtText.h"
#include "SourceListView.h"
#include "TestSupport.h"
#include "Unit_Convert.h"

namespace {

using Row = TSourceList::Row;

Row MakeRow(const std::string& path) {
    return {"True", path, "1 KB", "00:00:10", "00:00:00", "00:00:10", "00:00:10"};
}

std::set<int> ListSelection(const TSourceList& list) {
    std::set<int> rows;
    for (int row = 0; row < list.RowCount(); ++row)
        if (list.IsSelected(row)) rows.insert(row);
    return rows;
}

std::set<int> ViewSelection(const QAbstractItemView& view) {
    std::set<int> rows;
    for (const QModelIndex& index : view.selectionModel()->selectedIndexes())
        rows.insert(index.row());
    return rows;
}

int ViewCurrentRow(const QAbstractItemView& view) {
    const QModelIndex current = view.currentIndex();
    return current.isValid() ? current.row() : -1;
}

// The list and its view must agree on selection and focus.
void CheckInStep(const TSourceList& list, const QAbstractItemView& view) {
    QCOMPARE(ViewSelection(view), ListSelection(list));
    QCOMPARE(ViewCurrentRow(view), list.FocusedRow());
}

// A list of five rows shown in a bound view.
struct TListRig {
    TSourceList List;
    std::unique_ptr<TSourceListView> View;
    TListRig() {
        View = std::make_unique<TSourceListView>(nullptr);
        View->Bind(List);
        View->resize(520, 220);
        for (int i = 0; i < 5; ++i) List.Append(MakeRow("/v/clip" + std::to_string(i) + ".avi"));
    }
    bool Show() {
        View->show();
        return QTest::qWaitForWindowExposed(View.get());
    }
    QPoint RowCentre(int row) const {
        return View->visualRect(View->model()->index(row, colFileName)).center();
    }
    void Click(int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(View->viewport(), Qt::LeftButton, modifiers, RowCentre(row));
    }
};

struct TScriptedPlayer : IPlayer {
    bool Active = true;
    int Stops = 0;
    bool Open(const std::string&) override { return Active = true; }
    bool IsActive() const override { return Active; }
    void Run() override {}
    void Pause() override {}
    void Stop() override { ++Stops; }
    void Close() override { Active = false; }
    int64_t PositionMs() const override { return 0; }
    int64_t DurationMs() const override { return 0; }
    void SeekMs(int64_t) override {}
};

// Durations by path; every other path cannot be probed.
struct TScriptedProbe : IMediaProbe {
    std::map<std::string, int64_t> Ms;
    std::vector<std::string> Probed;
    int64_t DurationMs(const std::string& path) override {
        Probed.push_back(path);
        const auto found = Ms.find(path);
        return found == Ms.end() ? -1 : found->second;
    }
};

struct TScriptedDialogs : IFileDialogs {
    std::vector<std::string> Chosen;
    bool Fail = false;
    std::string InitialFolder;
    std::vector<TFileFilter> Filters;
    std::vector<std::string> OpenFiles(const std::string& initialFolder,
                                       const std::vector<TFileFilter>& filters) override {
        if (Fail) throw std::runtime_error("the dialog could not be shown");
        InitialFolder = initialFolder;
        Filters = filters;
        return Chosen;
    }
    std::optional<std::string> ChooseFolder(const std::string&) override { return std::nullopt; }
};

const char* const kSiblings[] = {"libAssets.so", "libPanes.so"};

// The main window over a temporary program folder, its seams scripted, with
// media files of its own that the scripted probe knows.
struct TMainWindowRig {
    TProgramFolder Folder;
    TScriptedMessages Messages;
    TScriptedPlayer Player;
    TScriptedProbe Probe;
    TScriptedDialogs Dialogs;
    TPorts Ports;
    TForms Forms;
    std::unique_ptr<TFrmMainForm> Form;

    TMainWindowRig() {
        for (const char* name : kSiblings) Folder.CopyFromBuild(name);
        Folder.Write("Config/UserSettings.ini", "");
        TAppFunc::SetAppPath(Folder.Path());
        Ports.Messages = &Messages;
        Ports.Player = &Player;
        Ports.Probe = &Probe;
        Ports.Dialogs = &Dialogs;
        Form = std::make_unique<TFrmMainForm>(Forms, Ports, Folder.Path());
        Form->SplashTimings = {1, 1};
    }
    ~TMainWindowRig() {
        Form.reset();
        TAppFunc::SetAppPath("");
        // Names that are not UTF-8 are beyond QTemporaryDir's clean-up.
        std::error_code error;
        std::filesystem::remove_all(Folder.Path(), error);
    }
    bool Show() {
        Form->show();
        return QTest::qWaitForWindowExposed(Form.get());
    }
    TSourceList& List() { return Forms.FrmMainForm.dxTreeSourceFileInfo; }
    TSourceListView& View() { return *Form->dxTreeSourceFileInfo; }
    // A media file of the given length; its path, byte for byte.
    std::string Media(const std::string& name, int64_t ms) {
        const std::string path = Folder.Path() + name;
        std::ofstream(path, std::ios::binary) << std::string(1536, 'x');
        Probe.Ms[path] = ms;
        return path;
    }
    void AddRows(int count) {
        for (int i = 0; i < count; ++i) List().Append(MakeRow(Folder.Path() + std::to_string(i)));
    }
    std::vector<std::string> Paths() {
        std::vector<std::string> paths;
        for (int row = 0; row < List().RowCount(); ++row)
            paths.push_back(List().Text(row, colFileName));
        return paths;
    }
};

// A drag over a control and its drop, delivered as the window system
// delivers it: to the nearest widget from the control up that takes
// drops; a widget that ignores it passes it on to its parents.
struct TDropResult {
    bool EnterAccepted = false;
    bool DropAccepted = false;
    Qt::DropAction Action = Qt::IgnoreAction;
};

TDropResult DropOn(QWidget* control, const QMimeData& data,
                   Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction) {
    QWidget* site = control;
    while (site != nullptr && !site->acceptDrops() && !site->isWindow())
        site = site->parentWidget();
    const QPointF at = QPointF(site->rect().center());
    TDropResult result;
    QDragEnterEvent enter(at.toPoint(), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(site, &enter);
    result.EnterAccepted = enter.isAccepted();
    QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(site, &drop);
    result.DropAccepted = drop.isAccepted();
    result.Action = drop.dropAction();
    // The window takes the files after the drop has ended.
    QCoreApplication::processEvents();
    return result;
}

// A drop as a file manager sends it: addresses, one a line.
std::unique_ptr<QMimeData> UriList(const std::vector<std::string>& paths) {
    QByteArray lines;
    for (const auto& path : paths) {
        const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
        lines += "file://" + bytes.toPercentEncoding("/") + "\r\n";
    }
    auto data = std::make_unique<QMimeData>();
    data->setData("text/uri-list", lines);
    return data;
}

QStringList ListedNames(QFileDialog& dialog) {
    auto* view = dialog.findChild<QListView*>("listView");
    QStringList names;
    if (view == nullptr) return names;
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row)
        names << view->model()->index(row, 0, root).data().toString();
    names.sort();
    return names;
}

}  // namespace

class SourceListTest : public QObject {
    Q_OBJECT
  private slots:
    // Rows, cells and captions follow the list through appends, cell
    // writes, refreshes, deletions and clearing.
    void gridFollowsTheList() {
        TListRig rig;
        QAbstractItemModel& grid = *rig.View->model();
        QCOMPARE(grid.rowCount(), 5);
        QCOMPARE(grid.columnCount(), 7);
        const QStringList captions = {"File Name",  "File Size", "Duration",
                                      "Start Time", "End Time",  "Cut Time"};
        for (int column = 1; column < 7; ++column) {
            QCOMPARE(grid.headerData(column, Qt::Horizontal).toString(), captions[column - 1]);
            QVERIFY(!rig.View->isColumnHidden(column));
        }
        QVERIFY(rig.View->isColumnHidden(colCheck));
        QCOMPARE(grid.index(2, colFileName).data().toString(), QString("/v/clip2.avi"));
        QCOMPARE(grid.index(2, colCheck).data().toString(), QString("True"));

        QSignalSpy changed(&grid, &QAbstractItemModel::dataChanged);
        rig.List.SetText(3, colStartTime, "00:00:04");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex(), grid.index(3, colStartTime));
        QCOMPARE(grid.index(3, colStartTime).data().toString(), QString("00:00:04"));
        rig.List.Refresh();
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed[1][1].toModelIndex(), grid.index(4, colCutTime));

        rig.List.Delete(0);
        QCOMPARE(grid.rowCount(), 4);
        QCOMPARE(grid.index(0, colFileName).data().toString(), QString("/v/clip1.avi"));
        QCOMPARE(grid.index(2, colStartTime).data().toString(), QString("00:00:04"));
        rig.List.Append(MakeRow("/v/late.avi"));
        QCOMPARE(grid.index(4, colFileName).data().toString(), QString("/v/late.avi"));
        rig.List.Clear();
        QCOMPARE(grid.rowCount(), 0);
        rig.List.Append(MakeRow("/v/again.avi"));
        QCOMPARE(grid.rowCount(), 1);
    }

    // What code does to the list's selection and focus shows in the view,
    // also across deletions that move or remove the focused row, and the
    // view does not write it back changed.
    void listSelectionAndFocusShowInTheView() {
        TListRig rig;
        QVERIFY(rig.Show());
        TSourceList& list = rig.List;
        QSignalSpy viewChanges(rig.View->selectionModel(), &QItemSelectionModel::selectionChanged);

        list.FocusAndSelect(2);
        CheckInStep(list, *rig.View);
        QCOMPARE(viewChanges.count(), 1);
        list.SetSelected(4, true);
        CheckInStep(list, *rig.View);
        QCOMPARE(ListSelection(list), (std::set<int>{2, 4}));

        list.Delete(0);  // rows shift up under the selection and the focus
        CheckInStep(list, *rig.View);
        QCOMPARE(list.FocusedRow(), 1);
        QCOMPARE(ListSelection(list), (std::set<int>{1, 3}));

        list.Delete(1);  // the focused row goes: nothing is focused
        CheckInStep(list, *rig.View);
        QCOMPARE(list.FocusedRow(), -1);
        QCOMPARE(ListSelection(list), (std::set<int>{2}));

        list.SetFocusedRow(0);
        list.ClearSelection();
        CheckInStep(list, *rig.View);
        QCOMPARE(list.FocusedRow(), 0);

        list.FocusAndSelect(1);
        list.Clear();
        CheckInStep(list, *rig.View);
        QCOMPARE(list.FocusedRow(), -1);
    }

    // The user's clicks and keys reach the list's selection and focus.
    void userSelectionReachesTheList() {
        TListRig rig;
        QVERIFY(rig.Show());
        TSourceList& list = rig.List;

        rig.Click(1);
        QCOMPARE(ListSelection(list), (std::set<int>{1}));
        QCOMPARE(list.FocusedRow(), 1);
        rig.Click(3, Qt::ControlModifier);
        QCOMPARE(ListSelection(list), (std::set<int>{1, 3}));
        QCOMPARE(list.FocusedRow(), 3);
        rig.Click(1, Qt::ControlModifier);
        QCOMPARE(ListSelection(list), (std::set<int>{3}));
        QCOMPARE(list.FocusedRow(), 1);
        rig.Click(4, Qt::ShiftModifier);
        QCOMPARE(ListSelection(list), (std::set<int>{1, 2, 3, 4}));
        QCOMPARE(list.FocusedRow(), 4);
        QTest::keyClick(rig.View.get(), Qt::Key_Up);
        QCOMPARE(ListSelection(list), (std::set<int>{3}));
        QCOMPARE(list.FocusedRow(), 3);
        QTest::keyClick(rig.View.get(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(ListSelection(list), (std::set<int>{0, 1, 2, 3, 4}));
        CheckInStep(list, *rig.View);
    }

    // The visible columns fill the list's width in their design proportions,
    // each at least as wide as its caption; widths the user sets are kept as
    // the proportions from then on. Columns stay in their order.
    void columnsShareTheWidth() {
        TListRig rig;
        QVERIFY(rig.Show());
        TSourceListView& view = *rig.View;
        QHeaderView& header = *view.header();
        QVERIFY(!header.sectionsMovable());
        auto visibleTotal = [&] {
            int total = 0;
            for (int column = 1; column < 7; ++column) total += view.columnWidth(column);
            return total;
        };
        for (int width : {900, 520}) {
            view.resize(width, 220);
            QCOMPARE(visibleTotal(), view.viewport()->width());
            for (int column = 2; column < 7; ++column)
                QVERIFY(view.columnWidth(column) >=
                        header.fontMetrics().horizontalAdvance(
                            view.model()->headerData(column, Qt::Horizontal).toString()));
        }
        view.resize(900, 220);
        QVERIFY(view.columnWidth(colFileName) > 2 * view.columnWidth(colDuration));
        QCOMPARE(view.columnWidth(colFileSize), view.columnWidth(colCutTime));

        // The user drags the right edge of the Duration caption.
        QCOMPARE(header.sectionResizeMode(colDuration), QHeaderView::Interactive);
        const int edge = header.sectionViewportPosition(colStartTime) - 1;
        const int y = header.height() / 2;
        QTest::mousePress(header.viewport(), Qt::LeftButton, {}, QPoint(edge, y));
        QTest::mouseMove(header.viewport(), QPoint(edge + 40, y));
        QTest::mouseMove(header.viewport(), QPoint(edge + 120, y));
        QTest::mouseRelease(header.viewport(), Qt::LeftButton, {}, QPoint(edge + 120, y));
        QVERIFY(view.columnWidth(colDuration) > view.columnWidth(colFileSize) + 100);
        QCoreApplication::processEvents();
        const int fileSize = view.columnWidth(colFileSize);
        const int duration = view.columnWidth(colDuration);
        view.resize(1200, 220);
        QCOMPARE(visibleTotal(), view.viewport()->width());
        QVERIFY(view.columnWidth(colDuration) > view.columnWidth(colFileSize) * 3 / 2);
        QVERIFY(view.columnWidth(colFileSize) > fileSize);
        QVERIFY(view.columnWidth(colDuration) > duration);
    }

    // The user sees the eleven descriptions whole, in order, the first
    // chosen; each filter shows its files in any letter case.
    void openDialogShowsTheElevenFilters() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        for (const char* name : {"CLIP.AVI", "clip.avi", "Movie.Mp4", "x.RMVB", "notes.txt",
                                 "clip.avi.txt", "avi", "show.Vob"})
            QVERIFY(QFile(folder.filePath(name)).open(QIODevice::WriteOnly));

        QFileDialog dialog;
        PrepareOpenDialog(dialog, FromQString(folder.path()), TCommonLib::SourceFileFilters());
        auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
        QVERIFY(types != nullptr);
        QStringList shown;
        for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
        QCOMPARE(shown, (QStringList{"Supported Files", "3GP, 3G2 Files (*.3gp,*.3g2)",
                                     "AVI Files (*.avi)", "ASF Files (*.asf)", "MOV Files (*.mov)",
                                     "FLV ,SWF Flash Video (*.flv,swf)", "MP4 File (*.mp4,*.m4v)",
                                     "MPEG Files (*.mpeg,*.mpg)", "RM, RMVB (*.rm,*.rmvb)",
                                     "VOB Video Files (*.vob)", "WMV Video Files (*.wmv)"}));
        QCOMPARE(types->currentIndex(), 0);
        QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFiles);

        QTRY_COMPARE(ListedNames(dialog),
                     (QStringList{"CLIP.AVI", "Movie.Mp4", "clip.avi", "show.Vob", "x.RMVB"}));
        dialog.selectNameFilter(dialog.nameFilters().at(2));
        QTRY_COMPARE(ListedNames(dialog), (QStringList{"CLIP.AVI", "clip.avi"}));
    }

    // Local files dropped on any control of the window, or on the window
    // itself, are added through the core: known media get rows, repeats and
    // other kinds are skipped silently, media that cannot be probed get the
    // warning. Names keep every byte.
    void droppedFilesAreAdded_data() {
        QTest::addColumn<QString>("control");
        QTest::newRow("button") << "btnConvert";
        QTest::newRow("list") << "dxTreeSourceFileInfo";
        QTest::newRow("read-only field") << "edtOutputFolder";
        QTest::newRow("picture") << "imgTitle";
        QTest::newRow("window") << "FrmMainForm";
    }
    void droppedFilesAreAdded() {
        QFETCH(QString, control);
        TMainWindowRig rig;
        QVERIFY(rig.Show());
        QWidget* target = rig.Form->objectName() == control
                              ? rig.Form.get()
                              : rig.Form->findChild<QWidget*>(control);
        QVERIFY(target != nullptr);
        if (auto* view = qobject_cast<QAbstractItemView*>(target)) target = view->viewport();

        const std::string clip = rig.Media("clip one.avi", 95000);
        const std::string odd = rig.Media("caf\xe9 #1.MP4", 2000);
        const std::string broken = rig.Media("broken.mov", 0);
        const std::string text = rig.Media("notes.txt", 5000);
        const auto data = UriList({clip, text, odd, clip, broken, rig.Folder.Path()});
        const TDropResult result = DropOn(target, *data);

        QVERIFY(result.EnterAccepted);
        QVERIFY(result.DropAccepted);
        QCOMPARE(result.Action, Qt::CopyAction);
        QTRY_COMPARE(rig.List().RowCount(), 2);
        QCOMPARE(rig.Paths(), (std::vector<std::string>{clip, odd}));
        QCOMPARE(rig.List().RowAt(0),
                 (Row{"True", clip, "1.5 KB", "00:01:35", "00:00:00", "00:01:35", "00:01:35"}));
        QCOMPARE(rig.Messages.Count("ShowMsg"), 1);
        QCOMPARE(rig.Messages.Calls.back().Text,
                 std::string("Files reading error! Please check your files."));
        QCOMPARE(rig.Messages.Count("ShowError"), 0);
        QCOMPARE(rig.View().model()->rowCount(), 2);
    }

    // Rows of the list, moves, remote addresses and drops during a batch
    // add nothing, and only rows of the list are refused without a look.
    void dropsThatAddNothing() {
        TMainWindowRig rig;
        QVERIFY(rig.Show());
        const std::string clip = rig.Media("clip.avi", 5000);

        auto rows = UriList({clip});
        rows->setData(kSourceRowsMimeType, QByteArray());
        TDropResult result = DropOn(rig.Form->btnConvert, *rows);
        QVERIFY(!result.EnterAccepted);
        QVERIFY(!result.DropAccepted);

        // Accepting a move would let the file manager delete the file.
        result = DropOn(rig.Form->btnConvert, *UriList({clip}), Qt::MoveAction);
        QVERIFY(!result.DropAccepted);

        QMimeData remote;
        remote.setUrls({QUrl("https://example.org/clip.avi")});
        result = DropOn(rig.Form->btnConvert, remote);
        QVERIFY(!result.DropAccepted);

        rig.Form->Contents()->setEnabled(false);
        result = DropOn(rig.Form->btnConvert, *UriList({clip}));
        QVERIFY(!result.DropAccepted);
        rig.Form->Contents()->setEnabled(true);

        QCoreApplication::processEvents();
        QCOMPARE(rig.List().RowCount(), 0);
        QVERIFY(rig.Probe.Probed.empty());
        QVERIFY(rig.Messages.Calls.empty());
    }

    // Delete in the list removes the selected rows; the row before the
    // focused one takes the focus unless it went too; the preview stops
    // whether or not rows went. Other keys remove nothing.
    void deleteKeyRemovesTheSelectedRows_data() {
        QTest::addColumn<std::vector<int>>("selected");
        QTest::addColumn<int>("focused");
        QTest::addColumn<std::vector<int>>("remaining");
        QTest::addColumn<int>("focusedAfter");
        QTest::newRow("focused row and the one before")
            << std::vector<int>{1, 2} << 2 << std::vector<int>{0, 3, 4} << -1;
        QTest::newRow("focused row alone")
            << std::vector<int>{2} << 2 << std::vector<int>{0, 1, 3, 4} << 1;
        QTest::newRow("first row focused")
            << std::vector<int>{0, 4} << 0 << std::vector<int>{1, 2, 3} << -1;
        QTest::newRow("nothing selected")
            << std::vector<int>{} << 3 << std::vector<int>{0, 1, 2, 3, 4} << 3;
    }
    void deleteKeyRemovesTheSelectedRows() {
        QFETCH(std::vector<int>, selected);
        QFETCH(int, focused);
        QFETCH(std::vector<int>, remaining);
        QFETCH(int, focusedAfter);
        TMainWindowRig rig;
        QVERIFY(rig.Show());
        rig.AddRows(5);
        const std::vector<std::string> before = rig.Paths();
        rig.List().SetFocusedRow(focused);
        for (int row : selected) rig.List().SetSelected(row, true);
        CheckInStep(rig.List(), rig.View());

        QTest::keyClick(&rig.View(), Qt::Key_Backspace);
        QTest::keyClick(&rig.View(), Qt::Key_X);
        QCOMPARE(rig.List().RowCount(), 5);
        QCOMPARE(rig.Player.Stops, 0);

        QTest::keyClick(&rig.View(), Qt::Key_Delete);
        std::vector<std::string> expected;
        for (int row : remaining) expected.push_back(before[static_cast<size_t>(row)]);
        QCOMPARE(rig.Paths(), expected);
        QCOMPARE(rig.List().FocusedRow(), focusedAfter);
        if (!selected.empty() && focusedAfter >= 0)
            QCOMPARE(ListSelection(rig.List()), (std::set<int>{focusedAfter}));
        else
            QVERIFY(ListSelection(rig.List()).empty());
        CheckInStep(rig.List(), rig.View());
        QCOMPARE(rig.Player.Stops, 1);
        QCOMPARE(rig.View().model()->rowCount(), static_cast<int>(remaining.size()));
    }

    // A drag of rows that ends on the list changes nothing; one that ends
    // anywhere else removes the selected rows and stops the preview.
    void dragOutRemovesTheSelectedRows_data() {
        QTest::addColumn<bool>("onList");
        QTest::newRow("dropped on the list") << true;
        QTest::newRow("dropped elsewhere") << false;
    }
    void dragOutRemovesTheSelectedRows() {
        QFETCH(bool, onList);
        TMainWindowRig rig;
        QVERIFY(rig.Show());
        rig.AddRows(4);
        const std::vector<std::string> before = rig.Paths();
        rig.List().FocusAndSelect(1);
        rig.List().SetSelected(3, true);

        rig.View().EndDrag(onList);
        if (onList) {
            QCOMPARE(rig.Paths(), before);
            QCOMPARE(rig.Player.Stops, 0);
        } else {
            QCOMPARE(rig.Paths(), (std::vector<std::string>{before[0], before[2]}));
            QCOMPARE(rig.List().FocusedRow(), 0);
            QCOMPARE(rig.Player.Stops, 1);
        }
        CheckInStep(rig.List(), rig.View());
    }

    // No way of starting an editor opens one, in any column.
    void editingIsRefused() {
        TMainWindowRig rig;
        QVERIFY(rig.Show());
        rig.AddRows(2);
        TSourceListView& view = rig.View();
        for (int column = colFileName; column < SourceColumnCount; ++column) {
            const QModelIndex cell = view.model()->index(1, column);
            const QPoint at = view.visualRect(cell).center();
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);
            QTest::keyClick(&view, Qt::Key_F2);
            QTest::keyClick(&view, Qt::Key_7);
            view.edit(cell);
            QVERIFY(view.viewport()->findChild<QLineEdit*>() == nullptr);
        }
        QCOMPARE(rig.List().RowAt(1), MakeRow(rig.Folder.Path() + "1"));
        QCOMPARE(rig.Messages.Count("ShowError"), 0);
    }

    // The buttons: Add through the dialog (repeats chosen once), Remove and
    // Clear with the preview stopped; an error inside a handler reaches the
    // error report and the window goes on.
    void buttonsRunTheirOperations() {
        TMainWindowRig rig;
        QVERIFY(rig.Show());
        const std::string a = rig.Media("a.avi", 4000);
        const std::string b = rig.Media("b.wmv", 6000);
        rig.Dialogs.Chosen = {a, b, a};
        QTest::mouseClick(rig.Form->btnOpenFile, Qt::LeftButton);
        QCOMPARE(rig.Paths(), (std::vector<std::string>{a, b}));
        QCOMPARE(rig.Dialogs.Filters.size(), size_t{11});
        QCOMPARE(rig.Probe.Probed, (std::vector<std::string>{a, b}));
        QCOMPARE(rig.Messages.Count("ShowError"), 0);

        rig.List().FocusAndSelect(1);
        QTest::mouseClick(rig.Form->btnRemoveFile, Qt::LeftButton);
        QCOMPARE(rig.Paths(), (std::vector<std::string>{a}));
        QCOMPARE(rig.List().FocusedRow(), 0);
        QCOMPARE(rig.Player.Stops, 1);

        rig.Player.Active = true;
        QTest::mouseClick(rig.Form->btnClearFile, Qt::LeftButton);
        QCOMPARE(rig.List().RowCount(), 0);
        QCOMPARE(rig.View().model()->rowCount(), 0);
        QCOMPARE(rig.Player.Stops, 2);

        rig.Dialogs.Fail = true;
        QTest::mouseClick(rig.Form->btnOpenFile, Qt::LeftButton);
        QCOMPARE(rig.Messages.Count("ShowError"), 1);
        QCOMPARE(rig.Messages.Calls.back().Text, std::string("the dialog could not be shown"));
        QVERIFY(rig.Form->isVisible());
    }
};

ORV_TEST_SUITE(SourceListTest);
#include "SourceListTest.moc"

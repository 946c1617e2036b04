#include <gtest/gtest.h>

#include <cmath>

#include "Models.h"

namespace {

TSourceList FiveRows() {
    TSourceList list;
    for (int i = 0; i < 5; ++i) list.Append({"True", "/v/" + std::to_string(i) + ".avi"});
    return list;
}

TEST(SourceListModel, FocusFollowsItsRowAcrossDeletes) {
    TSourceList list = FiveRows();
    list.SetFocusedRow(3);
    list.Delete(1);  // a row above the focus
    EXPECT_EQ(list.FocusedRow(), 2);
    EXPECT_EQ(list.Text(2, colFileName), "/v/3.avi");
    list.Delete(2);  // the focused row itself
    EXPECT_EQ(list.FocusedRow(), -1);
    EXPECT_EQ(list.RowCount(), 3);
}

TEST(SourceListModel, SelectionIsPerRowAndSurvivesDeletesOfOthers) {
    TSourceList list = FiveRows();
    list.SetSelected(1, true);
    list.SetSelected(4, true);
    EXPECT_EQ(list.SelectedCount(), 2);
    EXPECT_EQ(list.SelectedRow(0), 1);
    EXPECT_EQ(list.SelectedRow(1), 4);
    EXPECT_EQ(list.SelectedRow(2), -1);
    list.Delete(0);
    EXPECT_EQ(list.SelectedRow(0), 0);
    EXPECT_EQ(list.SelectedRow(1), 3);
    EXPECT_EQ(list.RowBefore(0), -1);
    EXPECT_EQ(list.RowBefore(3), 2);
}

TEST(SourceListModel, BadRowIndexThrowsInsteadOfCorrupting) {
    TSourceList list = FiveRows();
    EXPECT_THROW(list.Text(5, 0), std::out_of_range);
    EXPECT_THROW(list.SetText(-1, 0, "x"), std::out_of_range);
    EXPECT_THROW(list.Delete(7), std::out_of_range);
}

TEST(SettingsListModel, IndexOutsideTheListSelectsNothing) {
    TSettingsList list;
    list.Add("a");
    list.Add("b");
    for (int bad : {-5, -1, 2, 99}) {
        list.SetItemIndex(1);
        list.SetItemIndex(bad);
        EXPECT_EQ(list.ItemIndex(), -1) << bad;
        EXPECT_EQ(list.SelectedText(), "");
    }
}

TEST(SettingsListModel, EditableListKeepsItsTextOnReloadAndTypingClearsSelection) {
    TEditableList list;
    list.ReplaceItems({"A", "B"});
    list.SetItemIndex(1);
    EXPECT_EQ(list.EditText(), "B");
    list.ReplaceItems({"A", "B", "C"});
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(list.EditText(), "B");
    list.SetItemIndex(0);
    list.UserTyped("Ax");
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(list.EditText(), "Ax");
}

TEST(ProgressBarModel, PositionsAreClampedIntoTheRange) {
    TProgressBarModel bar;
    bar.SetMax(120);
    struct Case {
        double in;
        int out;
    } cases[] = {{45.9, 45}, {-3, 0}, {500, 120}, {1e300, 120}, {-1e300, 0}, {std::nan(""), 0}};
    for (const auto& c : cases) {
        bar.SetPositionF(c.in);
        EXPECT_EQ(bar.Position(), c.out) << c.in;
    }
    bar.SetPosition(100);
    bar.SetMax(-4);  // below the minimum: an empty range, not an error
    EXPECT_EQ(bar.Max(), 0);
    EXPECT_EQ(bar.Position(), 0);
}

}  // namespace

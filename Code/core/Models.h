// Plain models of the controls the program's logic reads and writes.
// The Qt widgets are views bound to these; the logic and its tests work
// on the models alone. Changing a model from code never runs a user-change
// handler: only a user's choice in a widget does.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

// A pick-only drop-down list: items, one selected index (-1 for none) and
// an enabled flag.
class TSettingsList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& Item(int index) const { return items_.at(static_cast<size_t>(index)); }
    // The item at index, or an empty text when index is outside the list.
    std::string ItemOrEmpty(int index) const;
    const std::vector<std::string>& Items() const { return items_; }

    void Add(const std::string& text);
    void Clear();  // also clears the selection

    int ItemIndex() const { return itemIndex_; }
    // An index outside the list selects nothing (-1).
    void SetItemIndex(int index);
    // The selected item's text, or an empty text when nothing is selected.
    std::string SelectedText() const { return ItemOrEmpty(itemIndex_); }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // One view listens; it is told after every change.
    void SetOnChanged(std::function<void()> listener) { onChanged_ = std::move(listener); }

protected:
    void Changed() {
        if (onChanged_) onChanged_();
    }
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    bool enabled_ = true;
    std::function<void()> onChanged_;
};

// An editable drop-down list: a settings list with a free edit text.
// Selecting an item puts its text into the edit text; typing clears the
// selection; reloading the items keeps the edit text and selects nothing.
class TEditableList : public TSettingsList {
public:
    const std::string& EditText() const { return editText_; }
    // From code: sets the text only.
    void SetEditText(const std::string& text);
    // The user typed: the text changes and the selection is cleared.
    void UserTyped(const std::string& text);
    // In range: selects and shows the item's text. Outside: selects nothing
    // and keeps the edit text.
    void SetItemIndex(int index);
    // Replaces the items; the edit text stays, nothing is selected.
    void ReplaceItems(const std::vector<std::string>& items);

private:
    std::string editText_;
};

// A check box's state.
class TCheckValue {
public:
    explicit TCheckValue(bool checked = false) : checked_(checked) {}
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    void SetOnChanged(std::function<void()> listener) { onChanged_ = std::move(listener); }

private:
    bool checked_;
    std::function<void()> onChanged_;
};

// A text shown in a field or label.
class TTextValue {
public:
    explicit TTextValue(std::string text = {}) : text_(std::move(text)) {}
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    void SetOnChanged(std::function<void()> listener) { onChanged_ = std::move(listener); }

private:
    std::string text_;
    std::function<void()> onChanged_;
};

// Column indexes of a source row.
enum TSourceColumn : int {
    colCheck = 0,
    colFileName = 1,
    colFileSize = 2,
    colDuration = 3,
    colStartTime = 4,
    colEndTime = 5,
    colCutTime = 6,
    SourceColumnCount = 7,
};

// Told of every change of a source list, so a view can follow it.
class ISourceListListener {
public:
    virtual ~ISourceListListener() = default;
    virtual void RowsAboutToBeInserted(int first, int last) { (void)first, (void)last; }
    virtual void RowsInserted() {}
    virtual void RowsAboutToBeRemoved(int first, int last) { (void)first, (void)last; }
    virtual void RowsRemoved() {}
    virtual void AboutToReset() {}
    virtual void Reset() {}
    virtual void DataChanged(int row, int column) { (void)row, (void)column; }
    virtual void SelectionChanged() {}
    virtual void FocusChanged() {}
    virtual void UpdatesSuspended(bool suspended) { (void)suspended; }
};

// The source list: rows of seven texts, per-row selection and a focused row.
class TSourceList {
public:
    using Row = std::array<std::string, SourceColumnCount>;

    int RowCount() const { return static_cast<int>(rows_.size()); }
    const std::string& Text(int row, int column) const;
    void SetText(int row, int column, const std::string& text);
    const Row& RowAt(int row) const { return rows_.at(static_cast<size_t>(row)).texts; }

    // Appends an empty row and returns its index.
    int Append();
    // Appends a row with the given texts and returns its index.
    int Append(const Row& texts);
    void Delete(int row);
    void Clear();

    bool IsSelected(int row) const;
    void SetSelected(int row, bool selected);
    void ClearSelection();
    int SelectedCount() const;
    // The k-th selected row (from 0) in row order, or -1.
    int SelectedRow(int k) const;

    // -1 when no row is focused.
    int FocusedRow() const { return focused_; }
    void SetFocusedRow(int row);
    // The row before row, or -1 when row is the first (or -1).
    int RowBefore(int row) const { return row > 0 ? row - 1 : -1; }
    // Focuses and selects the row.
    void FocusAndSelect(int row);

    void BeginUpdate();
    void EndUpdate();
    // A refresh of the display after cells were written.
    void Refresh();

    void SetListener(ISourceListListener* listener) { listener_ = listener; }

private:
    struct Entry {
        Row texts;
        bool selected = false;
    };
    void CheckRow(int row) const;
    std::vector<Entry> rows_;
    int focused_ = -1;
    int updateDepth_ = 0;
    ISourceListListener* listener_ = nullptr;
};

// A progress bar: a range and a position. Positions outside the range show
// as the nearest end; a range whose maximum lies below its minimum is
// treated as empty (maximum = minimum) instead of failing.
class TProgressBarModel {
public:
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    void SetMin(int value);
    void SetMax(int value);
    // Clamped into the range.
    void SetPosition(int value);
    // A floating value is clamped while still floating, then cut to a whole number.
    void SetPositionF(double value);
    void SetOnChanged(std::function<void()> listener) { onChanged_ = std::move(listener); }

private:
    void Changed() {
        if (onChanged_) onChanged_();
    }
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    std::function<void()> onChanged_;
};

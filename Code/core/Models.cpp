#include "Models.h"

#include <stdexcept>

std::string TSettingsList::ItemOrEmpty(int index) const {
    if (index < 0 || index >= Count()) return {};
    return items_[static_cast<size_t>(index)];
}

void TSettingsList::Add(const std::string& text) {
    items_.push_back(text);
    Changed();
}

void TSettingsList::Clear() {
    items_.clear();
    itemIndex_ = -1;
    Changed();
}

void TSettingsList::SetItemIndex(int index) {
    itemIndex_ = (index >= 0 && index < Count()) ? index : -1;
    Changed();
}

void TSettingsList::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Changed();
}

void TEditableList::SetEditText(const std::string& text) {
    editText_ = text;
    Changed();
}

void TEditableList::UserTyped(const std::string& text) {
    editText_ = text;
    itemIndex_ = -1;
    Changed();
}

void TEditableList::SetItemIndex(int index) {
    if (index >= 0 && index < Count()) {
        itemIndex_ = index;
        editText_ = items_[static_cast<size_t>(index)];
    } else {
        itemIndex_ = -1;
    }
    Changed();
}

void TEditableList::ReplaceItems(const std::vector<std::string>& items) {
    items_ = items;
    itemIndex_ = -1;
    Changed();
}

void TCheckValue::SetChecked(bool checked) {
    checked_ = checked;
    if (onChanged_) onChanged_();
}

void TTextValue::SetText(const std::string& text) {
    text_ = text;
    if (onChanged_) onChanged_();
}

void TSourceList::CheckRow(int row) const {
    if (row < 0 || row >= RowCount()) throw std::out_of_range("source list: row index out of range");
}

const std::string& TSourceList::Text(int row, int column) const {
    CheckRow(row);
    return rows_[static_cast<size_t>(row)].texts.at(static_cast<size_t>(column));
}

void TSourceList::SetText(int row, int column, const std::string& text) {
    CheckRow(row);
    rows_[static_cast<size_t>(row)].texts.at(static_cast<size_t>(column)) = text;
    if (listener_) listener_->DataChanged(row, column);
}

int TSourceList::Append() { return Append(Row{}); }

int TSourceList::Append(const Row& texts) {
    const int row = RowCount();
    if (listener_) listener_->RowsAboutToBeInserted(row, row);
    rows_.push_back(Entry{texts, false});
    if (listener_) listener_->RowsInserted();
    return row;
}

void TSourceList::Delete(int row) {
    CheckRow(row);
    if (listener_) listener_->RowsAboutToBeRemoved(row, row);
    rows_.erase(rows_.begin() + row);
    // The focus follows its row; a deleted focused row leaves none.
    if (focused_ == row)
        focused_ = -1;
    else if (focused_ > row)
        --focused_;
    if (listener_) {
        listener_->RowsRemoved();
        listener_->SelectionChanged();
        listener_->FocusChanged();
    }
}

void TSourceList::Clear() {
    if (listener_) listener_->AboutToReset();
    rows_.clear();
    focused_ = -1;
    if (listener_) {
        listener_->Reset();
        listener_->SelectionChanged();
        listener_->FocusChanged();
    }
}

bool TSourceList::IsSelected(int row) const {
    CheckRow(row);
    return rows_[static_cast<size_t>(row)].selected;
}

void TSourceList::SetSelected(int row, bool selected) {
    CheckRow(row);
    rows_[static_cast<size_t>(row)].selected = selected;
    if (listener_) listener_->SelectionChanged();
}

void TSourceList::ClearSelection() {
    for (auto& e : rows_) e.selected = false;
    if (listener_) listener_->SelectionChanged();
}

int TSourceList::SelectedCount() const {
    int n = 0;
    for (const auto& e : rows_) n += e.selected ? 1 : 0;
    return n;
}

int TSourceList::SelectedRow(int k) const {
    for (int i = 0; i < RowCount(); ++i) {
        if (rows_[static_cast<size_t>(i)].selected && k-- == 0) return i;
    }
    return -1;
}

void TSourceList::SetFocusedRow(int row) {
    focused_ = (row >= 0 && row < RowCount()) ? row : -1;
    if (listener_) listener_->FocusChanged();
}

void TSourceList::FocusAndSelect(int row) {
    CheckRow(row);
    rows_[static_cast<size_t>(row)].selected = true;
    focused_ = row;
    if (listener_) {
        listener_->SelectionChanged();
        listener_->FocusChanged();
    }
}

void TSourceList::BeginUpdate() {
    if (updateDepth_++ == 0 && listener_) listener_->UpdatesSuspended(true);
}

void TSourceList::EndUpdate() {
    if (updateDepth_ > 0 && --updateDepth_ == 0 && listener_) listener_->UpdatesSuspended(false);
}

void TSourceList::Refresh() {
    if (listener_) listener_->DataChanged(-1, -1);
}

void TProgressBarModel::SetMin(int value) {
    min_ = value;
    if (max_ < min_) max_ = min_;
    SetPosition(position_);
}

void TProgressBarModel::SetMax(int value) {
    max_ = value < min_ ? min_ : value;
    SetPosition(position_);
}

void TProgressBarModel::SetPosition(int value) {
    position_ = value < min_ ? min_ : (value > max_ ? max_ : value);
    Changed();
}

void TProgressBarModel::SetPositionF(double value) {
    if (!(value >= static_cast<double>(min_)))  // also catches NaN
        value = min_;
    if (value > static_cast<double>(max_)) value = max_;
    SetPosition(static_cast<int>(value));
}

#include "Unit_Option.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <algorithm>

#include "ErrorReport.h"
#include "ModelViews.h"
#include "QtText.h"
#include "Skin.h"

namespace {

QComboBox* MakeList(const char* name, const QRect& geometry, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setGeometry(geometry);
    return list;
}

QPushButton* MakeButton(const char* name, const QString& caption, const QRect& geometry,
                        QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    // Only OK answers Enter; the other buttons must not become the default.
    button->setAutoDefault(false);
    return button;
}

void ShowEditable(QComboBox* view, const TEditableList& model) {
    const QSignalBlocker blocker(view);
    QLineEdit* edit = view->lineEdit();
    // Taken first: selecting nothing below empties the field and loses it.
    const int cursor = edit->cursorPosition();
    ShowItems(view, model);
    // Qt empties the edit field when it selects nothing; the model's edit
    // text is what shows.
    if (view->currentIndex() != model.ItemIndex()) view->setCurrentIndex(model.ItemIndex());
    const QString text = ToQString(model.EditText());
    if (edit->text() != text) {
        edit->setText(text);
        edit->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
    }
    view->setEnabled(model.Enabled());
}

}  // namespace

void BindEditableComboBox(QComboBox* view, TEditableList& model,
                          std::function<void()> onUserChange) {
    view->setEditable(true);
    view->setInsertPolicy(QComboBox::NoInsert);
    view->setCompleter(nullptr);
    // Qt selects an item whose text equals the edit text when the editing
    // ends (Enter, or the focus leaving); here only a pick selects.
    view->setDuplicatesEnabled(true);
    QObject::disconnect(view->lineEdit(), SIGNAL(returnPressed()), view, nullptr);
    QObject::disconnect(view->lineEdit(), SIGNAL(editingFinished()), view, nullptr);
    ShowEditable(view, model);
    model.SetOnChanged([view, &model] { ShowEditable(view, model); });
    QObject::connect(view, &QObject::destroyed, [&model] { model.SetOnChanged(nullptr); });
    QObject::connect(view, &QComboBox::activated, view, [&model, onUserChange](int index) {
        model.SetItemIndex(index);
        if (onUserChange) onUserChange();
    });
    QObject::connect(view->lineEdit(), &QLineEdit::textEdited, view,
                     [&model, onUserChange](const QString& text) {
                         model.UserTyped(FromQString(text));
                         if (onUserChange) onUserChange();
                     });
}

TfrmOption::TfrmOption(TForms& forms, TCustomProc& proc, TPorts& ports, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      forms_(forms),
      proc_(proc),
      ports_(ports),
      logic_(proc) {
    setObjectName("frmOption");
    setWindowTitle("Options");
    setFixedSize(kClientWidth, kClientHeight);
    setModal(false);
    setStyleSheet(WindowStyleSheet());
    CreateControls();
    BindModels();
}

bool TfrmOption::Guard(const std::function<void()>& handler) {
    bool completed = false;
    RunGuarded(*ports_.Messages, [&] {
        handler();
        completed = true;
    });
    return completed;
}

void TfrmOption::CreateControls() {
    lblCustomProfile = MakeLabel("lblCustomProfile", "Custom Profile:", {8, 24, 70, 13}, this);
    cbbCustomProfile = MakeList("cbbCustomProfile", {112, 24, 185, 21}, this);
    btnAdd = MakeButton("btnAdd", "Add", {304, 22, 49, 24}, this);
    btnSave = MakeButton("btnSave", "Save", {356, 22, 49, 24}, this);
    btnDel = MakeButton("btnDel", "Delete", {408, 22, 49, 24}, this);

    grpAdvOptions = new QGroupBox("Advanced Options", this);
    grpAdvOptions->setObjectName("grpAdvOptions");
    grpAdvOptions->setGeometry(12, 48, 449, 153);
    QWidget* g = grpAdvOptions;
    // Two columns of four rows: a label and its list on each side.
    auto row = [g](const char* labelName, const char* caption, const char* listName, int left,
                   int listLeft, int top, int width, QLabel*& label, QComboBox*& list) {
        label = MakeLabel(labelName, caption, {left, top, listLeft - left - 2, 21}, g);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        list = MakeList(listName, {listLeft, top, width, 21}, g);
    };
    row("lblVideoSize", "Video Size:", "cbbVideoSize", 6, 100, 19, 117, lblVideoSize, cbbVideoSize);
    row("lblVideoBitrate", "Video Bitrate(kbps):", "cbbVideoBitrate", 6, 100, 51, 117,
        lblVideoBitrate, cbbVideoBitrate);
    row("lblFramerate", "Frame Rate(fps):", "cbbFramerate", 6, 100, 83, 116, lblFramerate,
        cbbFramerate);
    row("lblAspectratio", "Aspect Ratio:", "cbbAspectratio", 6, 100, 114, 116, lblAspectratio,
        cbbAspectratio);
    row("lblAudioBitrate", "Audio Bitrate(kbps):", "cbbAudioBitrate", 230, 323, 19, 117,
        lblAudioBitrate, cbbAudioBitrate);
    row("lblAudioSample", "Audio Sample(khz):", "cbbAudioSample", 230, 323, 51, 117, lblAudioSample,
        cbbAudioSample);
    row("lblAudioVolumeGain", "Audio Volume(%):", "cbbAudioVolumeGain", 230, 323, 83, 117,
        lblAudioVolumeGain, cbbAudioVolumeGain);
    row("lblAudioChannels", "Audio Channels:", "cbbAudioChannels", 230, 323, 114, 117,
        lblAudioChannels, cbbAudioChannels);

    btnApply = MakeButton("btnApply", "OK", {296, 216, 73, 25}, this);
    btnApply->setDefault(true);
    btnCancel = MakeButton("btnCancel", "Cancel", {384, 216, 73, 25}, this);

    connect(btnAdd, &QPushButton::clicked, this, [this] { btnAddClick(); });
    connect(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
    connect(btnDel, &QPushButton::clicked, this, [this] { btnDelClick(); });
    connect(btnApply, &QPushButton::clicked, this, [this] { btnApplyClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

void TfrmOption::BindModels() {
    TOptionFormModel& model = forms_.frmOption;
    BindEditableComboBox(cbbCustomProfile, model.cbbCustomProfile,
                         [this] { cbbCustomProfileChange(); });
    BindComboBox(cbbVideoSize, model.cbbVideoSize);
    BindComboBox(cbbVideoBitrate, model.cbbVideoBitrate);
    BindComboBox(cbbFramerate, model.cbbFramerate);
    BindComboBox(cbbAspectratio, model.cbbAspectratio);
    BindComboBox(cbbAudioBitrate, model.cbbAudioBitrate);
    BindComboBox(cbbAudioSample, model.cbbAudioSample);
    BindComboBox(cbbAudioVolumeGain, model.cbbAudioVolumeGain);
    BindComboBox(cbbAudioChannels, model.cbbAudioChannels);
}

void TfrmOption::setVisible(bool visible) {
    if (visible && !centred_) {
        centred_ = true;
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect area(QPoint(), size());
            area.moveCenter(screen->availableGeometry().center());
            move(area.topLeft());
        }
    }
    QDialog::setVisible(visible);
}

void TfrmOption::showEvent(QShowEvent* event) {
    // Restoring a minimised dialog is no new show: the snapshot stays.
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TfrmOption::closeEvent(QCloseEvent* event) {
    // QDialog would treat the close box as Cancel.
    event->accept();
    hide();
}

void TfrmOption::reject() {
    btnCancelClick();
}

void TfrmOption::FormShow() {
    Guard([this] { logic_.FormShow(); });
}

void TfrmOption::cbbCustomProfileChange() {
    Guard([this] { logic_.cbbCustomProfileChange(); });
}

void TfrmOption::btnAddClick() {
    Guard([this] { logic_.btnAddClick(); });
}

void TfrmOption::btnSaveClick() {
    Guard([this] { logic_.btnSaveClick(); });
}

void TfrmOption::btnDelClick() {
    Guard([this] { logic_.btnDelClick(); });
}

void TfrmOption::btnApplyClick() {
    if (Guard([this] { logic_.btnApplyClick(); })) hide();
}

void TfrmOption::btnCancelClick() {
    if (Guard([this] { logic_.btnCancelClick(); })) hide();
}

#include "ModelViews.h"

#include <QPointer>
#include <QSignalBlocker>

#include "QtText.h"

namespace {

// The model outlives its view in the program, not always in tests: the
// listener goes when the view goes.
template <class Model>
void DetachOnDestroy(QObject* view, Model& model) {
    QObject::connect(view, &QObject::destroyed, [&model] { model.SetOnChanged(nullptr); });
}

void ShowList(QComboBox* view, const TSettingsList& model) {
    const QSignalBlocker blocker(view);
    ShowItems(view, model);
    view->setCurrentIndex(model.ItemIndex());
    view->setEnabled(model.Enabled());
}

}  // namespace

void ShowItems(QComboBox* view, const TSettingsList& model) {
    bool same = view->count() == model.Count();
    for (int i = 0; same && i < model.Count(); ++i)
        same = view->itemText(i) == ToQString(model.Item(i));
    if (!same) {
        view->clear();
        for (const auto& item : model.Items()) view->addItem(ToQString(item));
    }
}

QLabel* MakeLabel(const char* name, const QString& text, const QRect& geometry, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    return label;
}

void BindComboBox(QComboBox* view, TSettingsList& model, std::function<void()> onUserChoice) {
    view->setEditable(false);
    ShowList(view, model);
    model.SetOnChanged([view, &model] { ShowList(view, model); });
    DetachOnDestroy(view, model);
    QObject::connect(view, &QComboBox::activated, view,
                     [&model, onUserChoice = std::move(onUserChoice)](int index) {
                         model.SetItemIndex(index);
                         if (onUserChoice) onUserChoice();
                     });
}

void BindCheckBox(QCheckBox* view, TCheckValue& model) {
    view->setChecked(model.Checked());
    model.SetOnChanged([view, &model] {
        const QSignalBlocker blocker(view);
        view->setChecked(model.Checked());
    });
    DetachOnDestroy(view, model);
    QObject::connect(view, &QCheckBox::toggled, view,
                     [&model](bool checked) { model.SetChecked(checked); });
}

void BindLineEdit(QLineEdit* view, TTextValue& model) {
    view->setReadOnly(true);
    view->setText(ToQString(model.Text()));
    model.SetOnChanged([view, &model] {
        view->setText(ToQString(model.Text()));
        view->setCursorPosition(0);
    });
    DetachOnDestroy(view, model);
}

void BindLabel(QLabel* view, TTextValue& model) {
    view->setTextFormat(Qt::PlainText);
    view->setText(ToQString(model.Text()));
    model.SetOnChanged([view, &model] { view->setText(ToQString(model.Text())); });
    DetachOnDestroy(view, model);
}

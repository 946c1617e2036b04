// Widgets as views of the core models. A view shows its model and follows
// every change of it; only a user's action in the widget changes the
// model back, and only a user's choice runs the user-change handler.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <functional>

#include "Models.h"

// onUserChoice runs after the user picked an item (QComboBox::activated),
// never when the selection changes from code.
void BindComboBox(QComboBox* view, TSettingsList& model,
                  std::function<void()> onUserChoice = nullptr);
void BindCheckBox(QCheckBox* view, TCheckValue& model);
// A read-only field: the model is written by code only.
void BindLineEdit(QLineEdit* view, TTextValue& model);
void BindLabel(QLabel* view, TTextValue& model);

// Refills the list's items only when they differ from the model's: a refill
// would lose the selection and the edit text. Blocks no signals itself.
void ShowItems(QComboBox* view, const TSettingsList& model);
// A plain-text label with its object name, placed at geometry.
QLabel* MakeLabel(const char* name, const QString& text, const QRect& geometry, QWidget* parent);

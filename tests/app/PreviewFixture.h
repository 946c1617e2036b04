// A shown main window over a temporary program folder with both sibling
// libraries, for the preview and trim strip tests: messages are recorded,
// the player is the test's own.
#pragma once

#include <QAbstractItemView>
#include <QTest>
#include <memory>
#include <string>

#include "FuncObjects.h"
#include "TestSupport.h"
#include "Unit_Convert.h"

struct TPreviewFixture {
    TProgramFolder Folder;
    TScriptedMessages Messages;
    TPorts Ports;
    TForms Forms;
    std::unique_ptr<TFrmMainForm> Form;

    explicit TPreviewFixture(IPlayer& player) {
        for (const char* name : {"libAssets.so", "libPanes.so"}) Folder.CopyFromBuild(name);
        TAppFunc::SetAppPath(Folder.Path());
        Ports.Messages = &Messages;
        Ports.Player = &player;
        Form = std::make_unique<TFrmMainForm>(Forms, Ports, Folder.Path());
        Form->SplashTimings = {1, 1};
    }
    ~TPreviewFixture() {
        Form.reset();
        TAppFunc::SetAppPath("");
    }
    bool Show() {
        Form->show();
        return QTest::qWaitForWindowExposed(Form.get());
    }
    TMainFormModel& Model() { return Forms.FrmMainForm; }
    TSourceList& List() { return Forms.FrmMainForm.dxTreeSourceFileInfo; }
    // A row as the source list adds it: the whole file from start to end.
    int AddRow(const std::string& path, const std::string& duration) {
        return List().Append({"True", path, "1.0 KB", duration, "00:00:00", duration, duration});
    }
    // The centre of a row's file name in the list's viewport.
    QPoint RowCentre(int row) const {
        QAbstractItemView* view = Form->dxTreeSourceFileInfo;
        return view->visualRect(view->model()->index(row, colFileName)).center();
    }
    void ClickRow(int row) {
        QTest::mouseClick(Form->dxTreeSourceFileInfo->viewport(), Qt::LeftButton, {},
                          RowCentre(row));
    }
    // As the window system delivers one: a click, then a double-click press
    // in place of the second press, then its release.
    void DoubleClickRow(int row) {
        QWidget* viewport = Form->dxTreeSourceFileInfo->viewport();
        ClickRow(row);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, RowCentre(row));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, RowCentre(row));
    }
    std::string LogText() const {
        QFile log(QString::fromStdString(Folder.Path() + "log.txt"));
        if (!log.open(QIODevice::ReadOnly)) return {};
        return log.readAll().toStdString();
    }
};

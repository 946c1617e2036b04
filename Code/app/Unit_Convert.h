// The main window FrmMainForm: the program's frame, the controls through
// which every part of the program meets the user, the window's own chrome
// (title, minimize, close, dragging) and the toolbar actions.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FlashForm.h"
#include "Forms.h"
#include "MediaView.h"
#include "PictureButton.h"
#include "Ports.h"
#include "SkinnedWindow.h"
#include "SoftInfo.h"
#include "SourceListView.h"
#include "TrimBar.h"
#include "UnitCustomProc.h"
#include "Unit_CommonLib.h"

class TFrmMainForm : public TSkinnedWindow {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 719;
    static constexpr int kClientHeight = 511;
    static constexpr int kMinWidth = 686;
    static constexpr int kMinHeight = 519;
    static constexpr int kClearMemoryMs = 1000;

    // appPath: the program folder, ending in "/". Creating the window runs
    // FormCreate: the shared objects, the utility objects and the check for
    // the sibling libraries.
    TFrmMainForm(TForms& forms, TPorts& ports, std::string appPath, QWidget* parent = nullptr);
    ~TFrmMainForm() override;

    // False when a sibling library is missing: the program must end
    // without showing a window.
    bool SiblingFilesFound() const { return siblingFilesFound_; }
    TCustomProc& Proc() { return *proc_; }
    // The preview's and trim strip's controls and handlers.
    TPreviewControls& Preview() { return *preview_; }
    TCommonLib& Lib() { return *lib_; }
    const TRecSoftInfo& SoftInfo() const { return softInfo_; }
    const std::string& AppPath() const { return appPath_; }
    // Everything inside the window; disabled while a batch runs.
    QWidget* Contents() const { return contents_; }
    // The Options dialog that btnOptions opens.
    void SetOptionForm(QWidget* frmOption) { frmOption_ = frmOption; }
    // Runs when the window has closed; the program ends then, even while
    // another of its windows is open.
    std::function<void()> OnClosed;
    TSplashTimings SplashTimings;

    // Controls, under their names.
    QLabel* imgTitle;
    QLabel* lblTitle;
    TPictureButton* btnWindowMinimize;
    TPictureButton* btnWindowClose;
    TPictureButton* btnHomePage;
    TPictureButton* btnEMail;
    TPictureButton* btnHelp;
    TPictureButton* btnAbout;
    QLabel* lblOutputFileTypeName;
    QComboBox* cbbOutputFiletype;
    QLabel* lblProfileSettings;
    QComboBox* cbbProfile;
    TPictureButton* btnOptions;
    QLabel* lblOutputFolderInfo;
    QLineEdit* edtOutputFolder;
    TPictureButton* btnSelectOutputFolder;
    QCheckBox* chkShutdown;
    QCheckBox* chkShowOutputDirectory;
    TMediaView* pnlMediaView;
    TTrimBar* Panel1;
    QProgressBar* pbPlayState;
    TPictureButton* btnPlay;
    TPictureButton* btnPause;
    TPictureButton* RzBmpButton1;
    QLabel* pnlCurTime;
    TSourceListView* dxTreeSourceFileInfo;
    TPictureButton* btnOpenFile;
    TPictureButton* btnRemoveFile;
    TPictureButton* btnClearFile;
    TPictureButton* btnConvert;
    QTimer* tmrClearMemory;

    // Handlers.
    void btnConvertClick();
    void btnSelectOutputFolderClick();
    void btnOptionsClick();
    void cbbOutputFiletypeChange();
    void cbbProfileChange();
    void ActSysHomePageExecute();
    void ActSysEmailExecute();
    void ActSysHelpExecute();
    void ActSysAboutExecute();
    void actMinimizeExecute();
    void actCloseWindowExecute();
    void tmrClearMemoryTimer();
    void btnOpenFileClick();
    void WMDropFiles(const std::vector<std::string>& paths);
    void btnRemoveFileClick();
    void btnClearFileClick();
    void dxTreeSourceFileInfoKeyDown(int key);
    void dxTreeSourceFileInfoEndDrag(bool droppedOnList);
    bool dxTreeSourceFileInfoEditing();

    void setVisible(bool visible) override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormCreate();
    bool CheckSiblingFiles();
    void FormShow();
    void FormResize();
    void FormClose();
    void CreateControls();
    void BindModels();
    void Guard(const std::function<void()>& handler);

    TForms& forms_;
    TPorts& ports_;
    std::string appPath_;
    std::unique_ptr<TCommonLib> lib_;
    std::unique_ptr<TCustomProc> proc_;
    // Goes after the widgets and before the shared objects it uses.
    std::unique_ptr<TPreviewControls> preview_;
    TRecSoftInfo softInfo_;
    bool siblingFilesFound_ = false;
    bool formShown_ = false;
    QWidget* contents_;
    QFrame* cardOutput_ = nullptr;
    QPointer<QWidget> frmOption_;
};

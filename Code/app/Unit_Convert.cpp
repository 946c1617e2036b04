#include "Unit_Convert.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>
#include <filesystem>

#include "AppTitle.h"
#include "ErrorReport.h"
#include "FuncObjects.h"
#include "ModelViews.h"
#include "QtText.h"

namespace {

QLabel* MakeLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QComboBox* MakeList(const char* name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(false);
    return list;
}

// A rounded panel behind a group of controls; drawn by the style sheet.
QFrame* MakeCard(const char* name, const QRect& geometry, QWidget* parent) {
    auto* card = new QFrame(parent);
    card->setObjectName(name);
    card->setProperty("card", true);
    card->setGeometry(geometry);
    card->setAttribute(Qt::WA_TransparentForMouseEvents);
    card->lower();
    return card;
}

std::string InitialOutputFolder() {
    const char* home = std::getenv("HOME");
    std::string folder = home != nullptr && *home != '\0' ? home : FromQString(QDir::homePath());
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder + "orvanel";
}

}  // namespace

TFrmMainForm::TFrmMainForm(TForms& forms, TPorts& ports, std::string appPath, QWidget* parent)
    : TSkinnedWindow("main.svg", parent),
      forms_(forms),
      ports_(ports),
      appPath_(std::move(appPath)),
      contents_(new QWidget(this)) {
    setObjectName("FrmMainForm");
    resize(kClientWidth, kClientHeight);
    contents_->setObjectName("pnlContents");
    contents_->setGeometry(rect());
    QFile style(":/skin/main.qss");
    if (style.open(QIODevice::ReadOnly))
        contents_->setStyleSheet(QString::fromUtf8(style.readAll()));
    CreateControls();
    FormCreate();
    BindModels();
}

TFrmMainForm::~TFrmMainForm() {
    // The windows and views this window owns refer to the shared objects,
    // so they go while those still exist.
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
}

void TFrmMainForm::Guard(const std::function<void()>& handler) {
    RunGuarded(*ports_.Messages, handler);
}

void TFrmMainForm::CreateControls() {
    QWidget* c = contents_;
    MakeCard("cardSettings", QRect(10, 58, 699, 46), c);
    MakeCard("cardPreview", QRect(10, 106, 270, 244), c);
    MakeCard("cardSources", QRect(286, 106, 423, 244), c);
    cardOutput_ = MakeCard("cardOutput", QRect(10, 356, 699, 146), c);

    imgTitle = new QLabel(c);
    imgTitle->setObjectName("imgTitle");
    imgTitle->setGeometry(0, 0, kClientWidth, 50);
    imgTitle->setPixmap(SkinPixmap("title.svg", imgTitle->size(), devicePixelRatioF()));
    // The banner is free skin: presses on it move the window.
    imgTitle->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblTitle = MakeLabel("lblTitle", QString(), c);
    lblTitle->setGeometry(52, 13, 300, 24);
    Dragger()->Watch(lblTitle);

    auto button = [c](const char* name, const char* skin, QRect geometry, const char* tip) {
        auto* b = new TPictureButton(name, skin, geometry.size(), tip, c);
        b->move(geometry.topLeft());
        return b;
    };
    btnHomePage = button("btnHomePage", "home", {504, 11, 30, 28}, "Home page");
    btnEMail = button("btnEMail", "email", {538, 11, 30, 28}, "Write an e-mail");
    btnHelp = button("btnHelp", "help", {572, 11, 30, 28}, "Help");
    btnAbout = button("btnAbout", "about", {606, 11, 30, 28}, "About");
    btnWindowMinimize = button("btnWindowMinimize", "minimize", {650, 14, 26, 22}, "Minimize");
    btnWindowClose = button("btnWindowClose", "close", {680, 14, 26, 22}, "Close");

    lblOutputFileTypeName = MakeLabel("lblOutputFileTypeName", "Output FileType:", c);
    lblOutputFileTypeName->setGeometry(22, 68, 104, 26);
    cbbOutputFiletype = MakeList("cbbOutputFiletype", c);
    cbbOutputFiletype->setGeometry(128, 68, 242, 26);
    lblProfileSettings = MakeLabel("lblProfileSettings", "Profile Settings:", c);
    lblProfileSettings->setGeometry(386, 68, 100, 26);
    cbbProfile = MakeList("cbbProfile", c);
    cbbProfile->setGeometry(488, 68, 164, 26);
    btnOptions = button("btnOptions", "options", {662, 67, 36, 28}, "Options");

    pnlMediaView = new TMediaView(c);
    pnlMediaView->move(15, 112);
    Panel1 = new TTrimBar(c);
    Panel1->move(15, 274);
    pbPlayState = new QProgressBar(c);
    pbPlayState->setObjectName("pbPlayState");
    pbPlayState->setGeometry(15, 299, 260, 10);
    pbPlayState->setTextVisible(false);
    pbPlayState->setRange(0, 100);
    pbPlayState->setValue(0);
    btnPlay = button("btnPlay", "play", {15, 316, 30, 26}, "Play");
    btnPause = button("btnPause", "pause", {49, 316, 30, 26}, "Pause");
    RzBmpButton1 = button("RzBmpButton1", "stop", {83, 316, 30, 26}, "Stop");
    pnlCurTime = MakeLabel("pnlCurTime", "00:00:00", c);
    pnlCurTime->setGeometry(194, 320, 81, 17);
    pnlCurTime->setAlignment(Qt::AlignCenter);

    dxTreeSourceFileInfo = new TSourceListView(c);
    dxTreeSourceFileInfo->setGeometry(292, 112, 411, 196);
    btnOpenFile = button("btnOpenFile", "add", {292, 315, 96, 28}, "Add files");
    btnRemoveFile =
        button("btnRemoveFile", "remove", {394, 315, 96, 28}, "Remove the selected files");
    btnClearFile = button("btnClearFile", "clear", {496, 315, 96, 28}, "Clear the list");

    lblOutputFolderInfo = MakeLabel("lblOutputFolderInfo", "Output Folder:", c);
    lblOutputFolderInfo->setGeometry(22, 366, 200, 20);
    edtOutputFolder = new QLineEdit(c);
    edtOutputFolder->setObjectName("edtOutputFolder");
    edtOutputFolder->setGeometry(22, 388, 400, 28);
    btnSelectOutputFolder =
        button("btnSelectOutputFolder", "folder", {428, 388, 36, 28}, "Choose the output folder");
    chkShowOutputDirectory = new QCheckBox("Show output directory when done", c);
    chkShowOutputDirectory->setObjectName("chkShowOutputDirectory");
    chkShowOutputDirectory->setGeometry(22, 430, 400, 22);
    chkShutdown = new QCheckBox("Shutdown computer when job is finished.", c);
    chkShutdown->setObjectName("chkShutdown");
    chkShutdown->setGeometry(22, 458, 400, 22);
    btnConvert = button("btnConvert", "convert", {540, 404, 156, 48}, "Convert");

    tmrClearMemory = new QTimer(this);
    tmrClearMemory->setObjectName("tmrClearMemory");
    tmrClearMemory->setInterval(kClearMemoryMs);

    connect(btnWindowMinimize, &QAbstractButton::clicked, this, [this] { actMinimizeExecute(); });
    connect(btnWindowClose, &QAbstractButton::clicked, this, [this] { actCloseWindowExecute(); });
    connect(btnHomePage, &QAbstractButton::clicked, this, [this] { ActSysHomePageExecute(); });
    connect(btnEMail, &QAbstractButton::clicked, this, [this] { ActSysEmailExecute(); });
    connect(btnHelp, &QAbstractButton::clicked, this, [this] { ActSysHelpExecute(); });
    connect(btnAbout, &QAbstractButton::clicked, this, [this] { ActSysAboutExecute(); });
    connect(btnOptions, &QAbstractButton::clicked, this, [this] { btnOptionsClick(); });
    connect(btnSelectOutputFolder, &QAbstractButton::clicked, this,
            [this] { btnSelectOutputFolderClick(); });
    connect(btnConvert, &QAbstractButton::clicked, this, [this] { btnConvertClick(); });
    connect(tmrClearMemory, &QTimer::timeout, this, [this] { tmrClearMemoryTimer(); });
    connect(btnOpenFile, &QAbstractButton::clicked, this, [this] { btnOpenFileClick(); });
    connect(btnRemoveFile, &QAbstractButton::clicked, this, [this] { btnRemoveFileClick(); });
    connect(btnClearFile, &QAbstractButton::clicked, this, [this] { btnClearFileClick(); });
    dxTreeSourceFileInfo->OnKeyDown = [this](int key) { dxTreeSourceFileInfoKeyDown(key); };
    dxTreeSourceFileInfo->OnEndDrag = [this](bool onList) { dxTreeSourceFileInfoEndDrag(onList); };
    dxTreeSourceFileInfo->OnEditing = [this] { return dxTreeSourceFileInfoEditing(); };
    new TFileDropTarget(this, contents_,
                        [this](const std::vector<std::string>& paths) { WMDropFiles(paths); });
}

void TFrmMainForm::FormCreate() {
    forms_.FrmMainForm.edtOutputFolder.SetText(InitialOutputFolder());
    lib_ = std::make_unique<TCommonLib>(appPath_, ports_);
    proc_ = std::make_unique<TCustomProc>(*lib_, forms_);
    InitFuncObjects();
    siblingFilesFound_ = CheckSiblingFiles();
    // Trims from the window's creation to the program's end.
    tmrClearMemory->start();
}

// Looks in the program folder, where the libraries are loaded from, not in
// the current directory.
bool TFrmMainForm::CheckSiblingFiles() {
    bool found = true;
    for (const char* name : {kPanesLibrary, kAssetsLibrary}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(appPath_ + name, error)) continue;
        ports_.Messages->ShowInfoMsg(
            "'" + std::string(name) + "' is not found. Please reinstall this program.", 1);
        found = false;
    }
    return found;
}

void TFrmMainForm::BindModels() {
    TMainFormModel& model = forms_.FrmMainForm;
    BindComboBox(cbbOutputFiletype, model.cbbOutputFiletype, [this] { cbbOutputFiletypeChange(); });
    BindComboBox(cbbProfile, model.cbbProfile, [this] { cbbProfileChange(); });
    BindCheckBox(chkShutdown, model.chkShutdown);
    BindCheckBox(chkShowOutputDirectory, model.chkShowOutputDirectory);
    BindLineEdit(edtOutputFolder, model.edtOutputFolder);
    BindLabel(lblTitle, model.lblTitle);
    preview_ = std::make_unique<TPreviewControls>(
        *proc_, ports_,
        TPreviewWidgets{pnlMediaView, Panel1, pbPlayState, pnlCurTime, btnPlay, btnPause,
                        RzBmpButton1, dxTreeSourceFileInfo});
    dxTreeSourceFileInfo->Bind(model.dxTreeSourceFileInfo);
}

void TFrmMainForm::setVisible(bool visible) {
    // The first show fills the window before it becomes visible; restoring
    // a minimized window is no new show.
    if (visible && !formShown_) {
        formShown_ = true;
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect area(QPoint(), size());
            area.moveCenter(screen->availableGeometry().center());
            move(area.topLeft());
        }
        FormShow();
    }
    TSkinnedWindow::setVisible(visible);
}

void TFrmMainForm::FormShow() {
    Guard([this] {
        proc_->FillAllLists();
        setAcceptDrops(true);
        ShowFlashForm(this, {appPath_, &softInfo_, &forms_.FrmMainForm.lblTitle, ports_.Pump},
                      SplashTimings);
        // The application's display name stays unset: Qt would append it to
        // every window title.
        setWindowTitle(QString::fromUtf8(kAppTitle));
        proc_->ApplyProfile();
    });
}

void TFrmMainForm::resizeEvent(QResizeEvent* event) {
    // The minimum first: it may grow the window, and the skin and the
    // contents then take the grown size.
    FormResize();
    TSkinnedWindow::resizeEvent(event);
    contents_->setGeometry(rect());
    // The lowest panel reaches down to the skin's bottom edge.
    cardOutput_->resize(width() - 20, height() - cardOutput_->y() - 10);
}

void TFrmMainForm::FormResize() {
    setMinimumSize(kMinWidth, kMinHeight);
}

void TFrmMainForm::closeEvent(QCloseEvent* event) {
    // The batch runs inside a handler of this window; closing under it
    // would end the program with an encoder still running.
    if (proc_->BatchRunning()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
    if (OnClosed) OnClosed();
}

void TFrmMainForm::FormClose() {
    Guard([this] { proc_->StopVideo(); });
}

void TFrmMainForm::btnConvertClick() {
    Guard([this] {
        proc_->CurIndex = 0;
        proc_->ConvertFiles(forms_.FrmMainForm.dxTreeSourceFileInfo);
    });
}

void TFrmMainForm::btnSelectOutputFolderClick() {
    Guard([this] {
        TTextValue& folder = forms_.FrmMainForm.edtOutputFolder;
        folder.SetText(lib_->SelectOutputFolder(folder.Text()));
    });
}

void TFrmMainForm::btnOptionsClick() {
    if (!frmOption_) return;
    frmOption_->show();
    frmOption_->raise();
    frmOption_->activateWindow();
}

void TFrmMainForm::cbbOutputFiletypeChange() {
    Guard([this] { proc_->ApplyProfile(); });
}

void TFrmMainForm::cbbProfileChange() {
    Guard([this] { proc_->ApplyProfile(); });
}

void TFrmMainForm::ActSysHomePageExecute() {
    Guard([this] { OpenHomePage(*ports_.Desktop, softInfo_); });
}

void TFrmMainForm::ActSysEmailExecute() {
    Guard([this] { SendEmail(*ports_.Desktop, softInfo_); });
}

void TFrmMainForm::ActSysHelpExecute() {
    Guard([this] { OpenHelp(*ports_.Desktop, softInfo_); });
}

void TFrmMainForm::ActSysAboutExecute() {
    Guard([this] { ShowAbout(appPath_, softInfo_); });
}

void TFrmMainForm::actMinimizeExecute() {
    showMinimized();
}

void TFrmMainForm::actCloseWindowExecute() {
    close();
}

void TFrmMainForm::tmrClearMemoryTimer() {
    Guard([this] { lib_->ClearMemory(); });
}

void TFrmMainForm::btnOpenFileClick() {
    Guard([this] { proc_->btnOpenFileClick(); });
}

void TFrmMainForm::WMDropFiles(const std::vector<std::string>& paths) {
    Guard([this, &paths] { proc_->WMDropFiles(paths); });
}

void TFrmMainForm::btnRemoveFileClick() {
    Guard([this] { proc_->btnRemoveFileClick(); });
}

void TFrmMainForm::btnClearFileClick() {
    Guard([this] { proc_->btnClearFileClick(); });
}

void TFrmMainForm::dxTreeSourceFileInfoKeyDown(int key) {
    Guard([this, key] { proc_->dxTreeSourceFileInfoKeyDown(key); });
}

void TFrmMainForm::dxTreeSourceFileInfoEndDrag(bool droppedOnList) {
    Guard([this, droppedOnList] { proc_->dxTreeSourceFileInfoEndDrag(droppedOnList); });
}

bool TFrmMainForm::dxTreeSourceFileInfoEditing() {
    bool allowed = false;
    Guard([&allowed] { allowed = TCustomProc::dxTreeSourceFileInfoEditing(); });
    return allowed;
}

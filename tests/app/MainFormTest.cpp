// The main window: the sibling check, the first show, the user's choices,
// Convert, the minimum size, closing, and errors inside handlers.
#include <QAbstractItemView>
#include <QTest>
#include <filesystem>
#include <memory>

#include "FuncObjects.h"
#include "QtPorts.h"
#include "TestSupport.h"
#include "Unit_Convert.h"

namespace {

struct TScriptedPlayer : IPlayer {
    bool Active = false;
    std::vector<std::string> Calls;
    bool Open(const std::string&) override { return Active = true; }
    bool IsActive() const override { return Active; }
    void Run() override { Calls.push_back("Run"); }
    void Pause() override { Calls.push_back("Pause"); }
    void Stop() override { Calls.push_back("Stop"); }
    void Close() override {
        Calls.push_back("Close");
        Active = false;
    }
    int64_t PositionMs() const override { return 0; }
    int64_t DurationMs() const override { return 0; }
    void SeekMs(int64_t) override {}
};

// Runs a scripted step in place of the encoder, as if it came through the
// window messages the batch lets through while the encoder runs.
struct TScriptedRunner : IProcessRunner {
    std::function<void()> WhileRunning;
    int Runs = 0;
    TRunResult RunProcess(const std::string&, const std::string&,
                          const std::function<void(const std::string&)>&) override {
        ++Runs;
        if (WhileRunning) WhileRunning();
        TRunResult result;
        result.Started = result.Exited = true;
        result.ExitStatus = 0;
        return result;
    }
};

const char* const kSiblings[] = {"libAssets.so", "libPanes.so"};

// A main window over a temporary program folder with both libraries, with
// every seam scripted and the splash shortened.
struct TMainWindowFixture {
    TProgramFolder Folder;
    TScriptedMessages Messages;
    TScriptedDesktop Desktop;
    TScriptedPlayer Player;
    TScriptedRunner Runner;
    TPorts Ports;
    TForms Forms;
    std::unique_ptr<TFrmMainForm> Form;
    std::unique_ptr<QWidget> Progress;
    std::unique_ptr<TQtConvertWindows> Windows;
    int Closed = 0;

    // assets: the file to use as libAssets.so; empty for the built one.
    explicit TMainWindowFixture(const std::string& profiles = {}, const std::string& assets = {}) {
        for (const char* name : kSiblings) Folder.CopyFromBuild(name);
        if (!assets.empty()) {
            std::filesystem::remove(Folder.Path() + "libAssets.so");
            Folder.CopyAs(assets, "libAssets.so");
        }
        if (!profiles.empty()) Folder.Write("Config/UserProfileInfo.ini", profiles);
        TAppFunc::SetAppPath(Folder.Path());
        Ports.Messages = &Messages;
        Ports.Desktop = &Desktop;
        Ports.Player = &Player;
        Ports.Runner = &Runner;
        Form = std::make_unique<TFrmMainForm>(Forms, Ports, Folder.Path());
        Form->SplashTimings = {1, 1};
        Form->OnClosed = [this] { ++Closed; };
        Progress = std::make_unique<QWidget>(nullptr, Qt::Window);
        Windows = std::make_unique<TQtConvertWindows>(Progress.get(), Form->Contents(), nullptr);
        Ports.Windows = Windows.get();
    }
    ~TMainWindowFixture() {
        Form.reset();
        TAppFunc::SetAppPath("");
    }
    bool Show() {
        Form->show();
        return QTest::qWaitForWindowExposed(Form.get());
    }
};

// A user's choice in a drop-down list: open it and click the item.
void ChooseWithMouse(QComboBox* list, int index) {
    list->showPopup();
    QAbstractItemView* items = list->view();
    QVERIFY(QTest::qWaitForWindowExposed(items->window()));
    const QRect item = items->visualRect(items->model()->index(index, 0));
    QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(!items->window()->isVisible());
}

}  // namespace

class MainFormTest : public QObject {
    Q_OBJECT
  private slots:
    // The libraries are looked for in the program folder, in this order, and
    // each missing one gets its message.
    void siblingCheck_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("messages");
        const QString panes = "'libPanes.so' is not found. Please reinstall this program.";
        const QString assets = "'libAssets.so' is not found. Please reinstall this program.";
        QTest::newRow("both") << QStringList{"libAssets.so", "libPanes.so"} << QStringList{};
        QTest::newRow("no panes") << QStringList{"libAssets.so"} << QStringList{panes};
        QTest::newRow("no assets") << QStringList{"libPanes.so"} << QStringList{assets};
        QTest::newRow("neither") << QStringList{} << QStringList{panes, assets};
    }
    void siblingCheck() {
        QFETCH(QStringList, present);
        QFETCH(QStringList, messages);
        TProgramFolder folder;
        for (const QString& name : present) QVERIFY(folder.CopyFromBuild(name.toStdString()));
        TScriptedMessages shown;
        TPorts ports;
        ports.Messages = &shown;
        TForms forms;
        TFrmMainForm form(forms, ports, folder.Path());
        QCOMPARE(form.SiblingFilesFound(), messages.isEmpty());
        QStringList texts;
        for (const auto& call : shown.Calls) {
            QCOMPARE(call.Method, std::string("ShowInfoMsg"));
            QCOMPARE(call.Kind, 1);
            texts << QString::fromStdString(call.Text);
        }
        QCOMPARE(texts, messages);
        QVERIFY(!form.isVisible());
    }

    void folderNamedLikeALibraryIsNoLibrary() {
        TProgramFolder folder;
        QVERIFY(folder.CopyFromBuild("libAssets.so"));
        std::filesystem::create_directory(folder.Path() + "libPanes.so");
        TScriptedMessages shown;
        TPorts ports;
        ports.Messages = &shown;
        TForms forms;
        TFrmMainForm form(forms, ports, folder.Path());
        QVERIFY(!form.SiblingFilesFound());
        QCOMPARE(shown.Calls.size(), size_t(1));
    }

    void startupState() {
        TMainWindowFixture f;
        QVERIFY(f.Form->SiblingFilesFound());
        QVERIFY(f.Show());
        TFrmMainForm& form = *f.Form;
        QCOMPARE(form.windowTitle(), QString("Orvanel"));
        QCOMPARE(form.lblTitle->text(), QString("Orvanel " ORV_VERSION_TEXT));
        QCOMPARE(form.SoftInfo().AppPath, f.Folder.Path());
        const std::string home = std::getenv("HOME");
        QCOMPARE(form.edtOutputFolder->text().toStdString(), home + "/orvanel");
        QVERIFY(form.edtOutputFolder->isReadOnly());
        QVERIFY(form.chkShowOutputDirectory->isChecked());
        QVERIFY(!form.chkShutdown->isChecked());
        QCOMPARE(form.chkShowOutputDirectory->text(), QString("Show output directory when done"));
        QCOMPARE(form.chkShutdown->text(), QString("Shutdown computer when job is finished."));

        QCOMPARE(form.cbbOutputFiletype->count(), 4);
        QCOMPARE(form.cbbOutputFiletype->currentText(), QString("PSP MPEG-4 Video Files (*.mp4)"));
        QCOMPARE(form.cbbProfile->count(), 5);
        QCOMPARE(form.cbbProfile->currentText(), QString("Normal Quality"));
        const TOptionFormModel& o = f.Forms.frmOption;
        const std::pair<const TSettingsList*, const char*> defaults[] = {
            {&o.cbbVideoSize, "320x240"},   {&o.cbbFramerate, "25"},
            {&o.cbbVideoBitrate, "768"},    {&o.cbbAspectratio, "4:3"},
            {&o.cbbAudioBitrate, "128"},    {&o.cbbAudioSample, "44100"},
            {&o.cbbAudioVolumeGain, "200"}, {&o.cbbAudioChannels, "2 channels, Stereo"},
        };
        for (const auto& [list, text] : defaults) {
            QCOMPARE(list->SelectedText(), std::string(text));
            QVERIFY(list->Enabled());
        }
        QVERIFY(f.Messages.Calls.empty());
        QCOMPARE(form.size(), QSize(TFrmMainForm::kClientWidth, TFrmMainForm::kMinHeight));
    }

    // A libAssets.so without most texts and without a readable picture: no
    // splash, the texts it has, and the window all the same.
    void startsWithoutSplashPictureOrTexts() {
        TMainWindowFixture f({}, ORV_FAKE_ASSETS);
        QVERIFY(f.Form->SiblingFilesFound());
        QVERIFY(f.Show());
        QCOMPARE(f.Form->lblTitle->text(), QString("Partial "));
        QCOMPARE(f.Form->windowTitle(), QString("Orvanel"));
        QCOMPARE(f.Form->cbbProfile->currentText(), QString("Normal Quality"));
        QCOMPARE(f.Forms.frmOption.cbbVideoBitrate.SelectedText(), std::string("768"));
        QVERIFY(f.Messages.Calls.empty());
    }

    // Showing the window again is no new first show: nothing is filled twice.
    void firstShowRunsOnce() {
        TMainWindowFixture f;
        QVERIFY(f.Show());
        f.Form->hide();
        QVERIFY(f.Show());
        QCOMPARE(f.Form->cbbOutputFiletype->count(), 4);
        QCOMPARE(f.Forms.frmOption.cbbAudioVolumeGain.Count(), 21);
    }

    void choosingTypeAndProfileAppliesTheProfile() {
        TMainWindowFixture f;
        QVERIFY(f.Show());
        TFrmMainForm& form = *f.Form;
        TOptionFormModel& o = f.Forms.frmOption;

        ChooseWithMouse(form.cbbOutputFiletype, 1);  // AAC
        QCOMPARE(form.cbbOutputFiletype->currentText(),
                 QString("AAC Advanced Audio Coding (*.aac)"));
        QVERIFY(!o.cbbVideoSize.Enabled());
        QVERIFY(!o.cbbFramerate.Enabled());
        QVERIFY(o.cbbAudioBitrate.Enabled());

        ChooseWithMouse(form.cbbProfile, 0);  // Low Quality
        QCOMPARE(o.cbbAudioBitrate.SelectedText(), std::string("48"));
        QCOMPARE(o.cbbAudioChannels.SelectedText(), std::string("1 channel, Mono"));
        QCOMPARE(o.cbbAudioSample.SelectedText(), std::string("22050"));
        QCOMPARE(o.cbbVideoSize.SelectedText(), std::string("320x240"));  // kept, disabled

        // A selection made from code applies nothing.
        f.Forms.FrmMainForm.cbbProfile.SetItemIndex(4);
        f.Forms.FrmMainForm.cbbOutputFiletype.SetItemIndex(3);
        QCOMPARE(form.cbbProfile->currentText(), QString("Superb Quality"));
        QCOMPARE(form.cbbOutputFiletype->currentText(), QString("MP3 Files (*.mp3)"));
        QCOMPARE(o.cbbAudioBitrate.SelectedText(), std::string("48"));

        // The user's next choice applies what the lists now show.
        ChooseWithMouse(form.cbbOutputFiletype, 0);
        QVERIFY(o.cbbVideoSize.Enabled());
        QCOMPARE(o.cbbVideoBitrate.SelectedText(), std::string("1500"));
        QCOMPARE(o.cbbAudioBitrate.SelectedText(), std::string("224"));
        QVERIFY(f.Messages.Calls.empty());
    }

    void convertWithEmptyListWarnsOnce() {
        TMainWindowFixture f;
        QVERIFY(f.Show());
        QTest::mouseClick(f.Form->btnConvert, Qt::LeftButton);
        QCOMPARE(f.Messages.Calls.size(), size_t(1));
        QCOMPARE(f.Messages.Calls[0].Method, std::string("ShowMsg"));
        QCOMPARE(f.Messages.Calls[0].Text,
                 std::string("Please add media files you want to convert into the list."));
        QCOMPARE(f.Messages.Calls[0].Kind, 1);
        QCOMPARE(f.Runner.Runs, 0);
        QVERIFY(f.Form->Contents()->isEnabled());
    }

    void cannotBeMadeSmallerThanTheMinimum() {
        TMainWindowFixture f;
        QVERIFY(f.Show());
        QCOMPARE(f.Form->minimumSize(), QSize(TFrmMainForm::kMinWidth, TFrmMainForm::kMinHeight));
        f.Form->resize(600, 400);
        QVERIFY(f.Form->width() >= TFrmMainForm::kMinWidth);
        QVERIFY(f.Form->height() >= TFrmMainForm::kMinHeight);
        // The skin still covers the whole window.
        QCOMPARE(f.Form->SkinPicture().deviceIndependentSize().toSize(), f.Form->size());
        QCOMPARE(f.Form->Contents()->size(), f.Form->size());
    }

    // A hand-edited profile that is no number breaks the profile's
    // application: the error is shown once and the window goes on working.
    void errorInAHandlerIsReportedAndTheProgramGoesOn() {
        TMainWindowFixture f("[Broken]\r\nBroken=1|x|2|3|1|2\r\n");
        f.Forms.frmOption.cbbCustomProfile.ReplaceItems({"Broken"});
        QVERIFY(f.Show());
        TFrmMainForm& form = *f.Form;
        QCOMPARE(form.cbbProfile->count(), 6);
        ChooseWithMouse(form.cbbProfile, 5);
        QCOMPARE(f.Messages.Count("ShowError"), 1);
        QVERIFY(!f.Messages.Calls[0].Text.empty());
        QVERIFY(form.isVisible());

        ChooseWithMouse(form.cbbProfile, 0);
        QCOMPARE(f.Forms.frmOption.cbbAudioBitrate.SelectedText(), std::string("48"));
        QCOMPARE(f.Messages.Count("ShowError"), 1);
    }

    // A close request that arrives while the batch runs is ignored; the
    // contents are disabled meanwhile. Afterwards closing stops the preview
    // and ends the program.
    void closeWaitsForTheBatchThenStopsThePreview() {
        TMainWindowFixture f;
        QVERIFY(f.Show());
        TFrmMainForm& form = *f.Form;
        f.Forms.FrmMainForm.edtOutputFolder.SetText(f.Folder.Path() + "out");
        f.Forms.FrmMainForm.chkShowOutputDirectory.SetChecked(false);
        f.Forms.FrmMainForm.dxTreeSourceFileInfo.Append({"True", f.Folder.Path() + "clip.avi",
                                                         "1 KB", "00:00:10", "00:00:00", "00:00:10",
                                                         "00:00:10"});
        form.Proc().Pauses = {0, 0, 0};
        bool closedDuringBatch = true;
        bool contentsDuringBatch = true;
        f.Runner.WhileRunning = [&] {
            contentsDuringBatch = form.Contents()->isEnabled();
            closedDuringBatch = form.close();
        };
        f.Player.Active = true;

        QTest::mouseClick(form.btnConvert, Qt::LeftButton);
        QCOMPARE(f.Runner.Runs, 1);
        QVERIFY(!contentsDuringBatch);
        QVERIFY(form.isEnabled());
        QVERIFY(!closedDuringBatch);
        QVERIFY(form.isVisible());
        QCOMPARE(f.Closed, 0);
        QVERIFY(f.Player.Calls.empty());
        QVERIFY(form.Contents()->isEnabled());
        QVERIFY(!f.Progress->isVisible());

        QTest::mouseClick(form.btnWindowClose, Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QCOMPARE(f.Closed, 1);
        QCOMPARE(f.Player.Calls, (std::vector<std::string>{"Stop", "Close"}));
        QCOMPARE(f.Messages.Count("ShowError"), 0);
    }

    // The toolbar uses what the splash read from libAssets.so.
    void toolbarUsesTheProductInformation() {
        TMainWindowFixture f;
        QVERIFY(f.Show());
        QTest::mouseClick(f.Form->btnHomePage, Qt::LeftButton);
        QTest::mouseClick(f.Form->btnEMail, Qt::LeftButton);
        QTest::mouseClick(f.Form->btnHelp, Qt::LeftButton);
        const TRecSoftInfo& info = f.Form->SoftInfo();
        QCOMPARE(f.Desktop.Opened, (std::vector<std::string>{
                                       "address:" + info.HomePage, "address:mailto:" + info.Email,
                                       "file:" + f.Folder.Path() + "Manual.html"}));
        QVERIFY(!info.HomePage.empty());
        QVERIFY(!info.Email.empty());
    }
};

ORV_TEST_SUITE(MainFormTest);
#include "MainFormTest.moc"

// The Options dialog: its layout, the lists as views of their models, the
// editable profile list, Add, Save, Delete, OK, Cancel, Esc and the close
// box, the errors of a broken Config folder, and how the main window opens
// it and chooses the output folder.
#include <QtTest/qtestspontaneevent.h>

#include <QLineEdit>
#include <QShowEvent>
#include <QTest>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "FuncObjects.h"
#include "QtPorts.h"
#include "TestSupport.h"
#include "Unit_Convert.h"
#include "Unit_Option.h"

namespace {

namespace fs = std::filesystem;

// The name prompt answers from a script: a text to confirm, or nothing for
// Cancel; what it proposed is kept.
struct TPromptMessages : TScriptedMessages {
    std::deque<std::optional<std::string>> Answers;
    std::vector<std::string> Proposed;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override {
        Calls.push_back({"InputQuery", caption + "|" + prompt, 0});
        Proposed.push_back(value);
        if (Answers.empty() || !Answers.front()) {
            if (!Answers.empty()) Answers.pop_front();
            return false;
        }
        value = *Answers.front();
        Answers.pop_front();
        return true;
    }
};

struct TScriptedFolders : IFileDialogs {
    std::optional<std::string> Choice;
    std::vector<std::string> Titles;
    std::vector<std::string> OpenFiles(const std::string&,
                                       const std::vector<TFileFilter>&) override {
        return {};
    }
    std::optional<std::string> ChooseFolder(const std::string& title) override {
        Titles.push_back(title);
        return Choice;
    }
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

// The shared objects at their start-up state over a program folder whose
// Config folder holds the given profiles, and the dialog over them.
struct TOptionFixture {
    TProgramFolder Folder;
    TPromptMessages Messages;
    TPorts Ports;
    TForms Forms;
    std::unique_ptr<TCommonLib> Lib;
    std::unique_ptr<TCustomProc> Proc;
    std::unique_ptr<TfrmOption> Dialog;

    explicit TOptionFixture(const std::string& profiles = {}) {
        fs::create_directories(Folder.Path() + "Config");
        if (!profiles.empty()) Folder.Write("Config/UserProfileInfo.ini", profiles);
        Ports.Messages = &Messages;
        Lib = std::make_unique<TCommonLib>(Folder.Path(), Ports);
        Proc = std::make_unique<TCustomProc>(*Lib, Forms);
        Proc->FillAllLists();
        Proc->ApplyProfile();
        Dialog = std::make_unique<TfrmOption>(Forms, *Proc, Ports, nullptr);
    }
    bool Show() {
        Dialog->show();
        return QTest::qWaitForWindowExposed(Dialog.get());
    }
    std::string ProfileFile() const {
        return ReadAll(Folder.Path() + "Config/UserProfileInfo.ini");
    }
    QStringList Items() const {
        QStringList items;
        for (int i = 0; i < Dialog->cbbCustomProfile->count(); ++i)
            items << Dialog->cbbCustomProfile->itemText(i);
        return items;
    }
    QStringList MainItems() const {
        QStringList items;
        for (const auto& item : Forms.FrmMainForm.cbbProfile.Items())
            items << QString::fromStdString(item);
        return items;
    }
    // The six selections a profile stores.
    std::string Row() const {
        const TOptionFormModel& o = Forms.frmOption;
        std::string row;
        for (const TSettingsList* l : {&o.cbbVideoSize, &o.cbbFramerate, &o.cbbVideoBitrate,
                                       &o.cbbAudioBitrate, &o.cbbAudioChannels, &o.cbbAudioSample})
            row += (row.empty() ? "" : "|") + std::to_string(l->ItemIndex());
        return row;
    }
};

// A user's choice in a list: from the top, one item down at a time.
void ChooseWithKeyboard(QComboBox* list, int index) {
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < index; ++i) QTest::keyClick(list, Qt::Key_Down);
}

void TypeInto(QComboBox* list, const QString& text) {
    list->lineEdit()->clear();
    QTest::keyClicks(list->lineEdit(), text);
}

const char* const kThreeProfiles =
    "\r\n[A]\r\nA=0|0|0|0|0|0\r\n\r\n[B]\r\nB=2|3|4|3|0|1\r\n\r\n[C]\r\nC=0|7|0|0|0|0\r\n";

}  // namespace

class OptionDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void layout() {
        TOptionFixture f;
        TfrmOption& d = *f.Dialog;
        QVERIFY(f.Show());  // the style's fonts apply from the first show
        QCOMPARE(d.windowTitle(), QString("Options"));
        QCOMPARE(d.size(), QSize(476, 260));
        QVERIFY(!d.isModal());
        QVERIFY(d.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(d.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

        const struct {
            QWidget* control;
            QRect geometry;
            const char* caption;
        } controls[] = {
            {d.lblCustomProfile, {8, 24, 70, 13}, "Custom Profile:"},
            {d.cbbCustomProfile, {112, 24, 185, 21}, nullptr},
            {d.btnAdd, {304, 22, 49, 24}, "Add"},
            {d.btnSave, {356, 22, 49, 24}, "Save"},
            {d.btnDel, {408, 22, 49, 24}, "Delete"},
            {d.grpAdvOptions, {12, 48, 449, 153}, "Advanced Options"},
            {d.btnApply, {296, 216, 73, 25}, "OK"},
            {d.btnCancel, {384, 216, 73, 25}, "Cancel"},
            {d.cbbVideoSize, {100, 19, 117, 21}, nullptr},
            {d.cbbVideoBitrate, {100, 51, 117, 21}, nullptr},
            {d.cbbFramerate, {100, 83, 116, 21}, nullptr},
            {d.cbbAspectratio, {100, 114, 116, 21}, nullptr},
            {d.cbbAudioBitrate, {323, 19, 117, 21}, nullptr},
            {d.cbbAudioSample, {323, 51, 117, 21}, nullptr},
            {d.cbbAudioVolumeGain, {323, 83, 117, 21}, nullptr},
            {d.cbbAudioChannels, {323, 114, 117, 21}, nullptr},
        };
        for (const auto& c : controls) {
            QCOMPARE(c.control->geometry(), c.geometry);
            if (auto* label = qobject_cast<QLabel*>(c.control))
                QCOMPARE(label->text(), QString(c.caption));
            if (auto* button = qobject_cast<QPushButton*>(c.control))
                QCOMPARE(button->text(), QString(c.caption));
        }
        QCOMPARE(d.grpAdvOptions->title(), QString("Advanced Options"));

        // Each group label sits left of its list, on its row, and its whole
        // caption fits before the list begins.
        const struct {
            QLabel* label;
            QComboBox* list;
            const char* caption;
        } rows[] = {
            {d.lblVideoSize, d.cbbVideoSize, "Video Size:"},
            {d.lblVideoBitrate, d.cbbVideoBitrate, "Video Bitrate(kbps):"},
            {d.lblFramerate, d.cbbFramerate, "Frame Rate(fps):"},
            {d.lblAspectratio, d.cbbAspectratio, "Aspect Ratio:"},
            {d.lblAudioBitrate, d.cbbAudioBitrate, "Audio Bitrate(kbps):"},
            {d.lblAudioSample, d.cbbAudioSample, "Audio Sample(khz):"},
            {d.lblAudioVolumeGain, d.cbbAudioVolumeGain, "Audio Volume(%):"},
            {d.lblAudioChannels, d.cbbAudioChannels, "Audio Channels:"},
        };
        for (const auto& r : rows) {
            QCOMPARE(r.label->text(), QString(r.caption));
            QCOMPARE(r.label->parentWidget(), d.grpAdvOptions);
            QCOMPARE(r.label->y(), r.list->y());
            QCOMPARE(r.label->x(), r.list->x() < 200 ? 6 : 230);
            QVERIFY(r.label->x() + r.label->fontMetrics().horizontalAdvance(r.label->text()) <
                    r.list->x());
            QVERIFY(!r.list->isEditable());
        }
        QVERIFY(d.lblCustomProfile->fontMetrics().horizontalAdvance("Custom Profile:") <= 70);
        QVERIFY(d.cbbCustomProfile->isEditable());
        QVERIFY(d.btnApply->isDefault());
    }

    // The lists show their models; only a user's choice changes a model,
    // and the profile list applies a profile only when an item is picked.
    void listsAreViewsOfTheirModels() {
        TOptionFixture f(kThreeProfiles);
        QVERIFY(f.Show());
        TOptionFormModel& o = f.Forms.frmOption;
        QCOMPARE(f.Dialog->cbbFramerate->currentText(), QString("25"));
        o.cbbFramerate.SetItemIndex(1);
        QCOMPARE(f.Dialog->cbbFramerate->currentText(), QString("15"));
        o.cbbVideoSize.SetEnabled(false);
        QVERIFY(!f.Dialog->cbbVideoSize->isEnabled());

        ChooseWithKeyboard(f.Dialog->cbbAudioChannels, 0);
        QCOMPARE(o.cbbAudioChannels.ItemIndex(), 0);
        QCOMPARE(f.Items(), (QStringList{"A", "B", "C"}));

        QComboBox* profiles = f.Dialog->cbbCustomProfile;
        profiles->setFocus();
        QTest::keyClick(profiles, Qt::Key_Down);
        QTest::keyClick(profiles, Qt::Key_Down);
        QCOMPARE(o.cbbCustomProfile.ItemIndex(), 1);
        QCOMPARE(profiles->lineEdit()->text(), QString("B"));
        QCOMPARE(f.Row(), std::string("2|3|4|3|0|1"));
    }

    // Typing selects nothing, even the exact name of a profile, whether the
    // editing ends with Enter or by leaving the field; nothing is inserted
    // or completed, and a reload keeps the typed text.
    void typedTextSelectsNothing() {
        TOptionFixture f(kThreeProfiles);
        QVERIFY(f.Show());
        TEditableList& model = f.Forms.frmOption.cbbCustomProfile;
        QComboBox* profiles = f.Dialog->cbbCustomProfile;
        QCOMPARE(profiles->completer(), nullptr);

        profiles->setFocus();
        QTest::keyClick(profiles, Qt::Key_Down);
        QCOMPARE(model.ItemIndex(), 0);
        TypeInto(profiles, "B");
        QCOMPARE(model.ItemIndex(), -1);
        QCOMPARE(model.EditText(), std::string("B"));
        f.Dialog->btnAdd->setFocus();  // the editing ends by leaving the field
        QCOMPARE(model.ItemIndex(), -1);
        QCOMPARE(f.Row(), std::string("0|0|0|0|0|0"));  // A's row, applied by the pick

        TypeInto(profiles, "C");
        QTest::keyClick(profiles->lineEdit(), Qt::Key_Return);
        QCOMPARE(model.ItemIndex(), -1);
        QCOMPARE(profiles->count(), 3);
        QCOMPARE(f.Row(), std::string("0|0|0|0|0|0"));
        QVERIFY(!f.Dialog->isVisible());  // Enter is OK

        QVERIFY(f.Show());
        TypeInto(profiles, "Tr");
        QCOMPARE(profiles->lineEdit()->text(), QString("Tr"));
        f.Dialog->FormShow();
        QCOMPARE(profiles->lineEdit()->text(), QString("Tr"));
        QCOMPARE(model.ItemIndex(), -1);
    }

    void addSaveAndDeleteThroughTheButtons() {
        TOptionFixture f;
        QVERIFY(f.Show());
        TfrmOption& d = *f.Dialog;
        QComboBox* profiles = d.cbbCustomProfile;

        f.Messages.Answers = {std::nullopt, std::string("Mine"), std::string("Mine")};
        QTest::mouseClick(d.btnAdd, Qt::LeftButton);  // cancelled: stored as proposed
        QCOMPARE(f.Items(), QStringList{"UserProfileInfo1"});
        QCOMPARE(profiles->currentIndex(), 0);
        QCOMPARE(profiles->lineEdit()->text(), QString("UserProfileInfo1"));
        QCOMPARE(f.ProfileFile(),
                 std::string("\r\n[UserProfileInfo1]\r\nUserProfileInfo1=1|4|2|5|1|2\r\n"));

        QTest::mouseClick(d.btnAdd, Qt::LeftButton);
        ChooseWithKeyboard(d.cbbFramerate, 0);
        QTest::mouseClick(d.btnAdd, Qt::LeftButton);  // the same name again: replaced
        QCOMPARE(f.Items(), (QStringList{"UserProfileInfo1", "Mine"}));
        QCOMPARE(f.Lib->ReadConfigValue("UserProfileInfo.ini", "Mine"), f.Row());

        TypeInto(profiles, "UserProfileInfo1");
        QTest::mouseClick(d.btnDel, Qt::LeftButton);
        f.Messages.Answers = {std::nullopt};
        QTest::mouseClick(d.btnAdd, Qt::LeftButton);
        QCOMPARE(f.Messages.Proposed,
                 (std::vector<std::string>{"UserProfileInfo1", "UserProfileInfo2",
                                           "UserProfileInfo3", "UserProfileInfo4"}));
        QCOMPARE(f.Messages.Calls.front().Text, std::string("Orvanel|Plese input a name"));

        TypeInto(profiles, "Typed");
        QTest::mouseClick(d.btnSave, Qt::LeftButton);
        QCOMPARE(f.Items(), (QStringList{"Mine", "UserProfileInfo4", "Typed"}));
        QCOMPARE(profiles->currentIndex(), 2);

        for (const char* name : {"Mine", "UserProfileInfo4", "Typed"}) {
            TypeInto(profiles, name);
            QTest::mouseClick(d.btnDel, Qt::LeftButton);
        }
        QVERIFY(f.Items().isEmpty());
        QCOMPARE(profiles->lineEdit()->text(), QString());
        QCOMPARE(f.Forms.frmOption.cbbCustomProfile.EditText(), std::string());
        QCOMPARE(f.Messages.Count("ShowError"), 0);
    }

    void refusedNameStaysInTheField() {
        TOptionFixture f(kThreeProfiles);
        QVERIFY(f.Show());
        const std::string before = f.ProfileFile();
        TypeInto(f.Dialog->cbbCustomProfile, "a=b");
        QTest::mouseClick(f.Dialog->btnSave, Qt::LeftButton);
        QCOMPARE(f.Messages.Count("ShowMsg"), 1);
        QCOMPARE(f.Messages.Calls.back().Text,
                 std::string("Please enter a profile name without = or line breaks."));
        QCOMPARE(f.Messages.Calls.back().Kind, 1);
        QCOMPARE(f.Dialog->cbbCustomProfile->lineEdit()->text(), QString("a=b"));
        QCOMPARE(f.ProfileFile(), before);
    }

    // Cancel and Esc give back the selections of the show, and the close box
    // only hides: each leaves the dialog hidden.
    void cancelEscAndTheCloseBox_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("restores");
        QTest::newRow("Cancel") << "cancel" << true;
        QTest::newRow("Esc") << "esc" << true;
        QTest::newRow("close box") << "close" << false;
    }
    void cancelEscAndTheCloseBox() {
        QFETCH(QString, how);
        QFETCH(bool, restores);
        TOptionFixture f;
        TfrmOption& d = *f.Dialog;
        QVERIFY(f.Show());
        const QString frameRate = d.cbbFramerate->currentText();
        const QString size = d.cbbVideoSize->currentText();
        const QString volume = d.cbbAudioVolumeGain->currentText();

        ChooseWithKeyboard(d.cbbFramerate, 0);
        ChooseWithKeyboard(d.cbbVideoSize, 0);
        ChooseWithKeyboard(d.cbbAudioVolumeGain, 0);
        const QString changed[] = {d.cbbFramerate->currentText(), d.cbbVideoSize->currentText(),
                                   d.cbbAudioVolumeGain->currentText()};
        QVERIFY(changed[0] != frameRate && changed[1] != size && changed[2] != volume);
        f.Messages.Answers = {std::nullopt};
        QTest::mouseClick(d.btnAdd, Qt::LeftButton);

        if (how == "cancel")
            QTest::mouseClick(d.btnCancel, Qt::LeftButton);
        else if (how == "esc")
            QTest::keyClick(d.cbbAudioVolumeGain, Qt::Key_Escape);
        else
            d.close();

        QVERIFY(!d.isVisible());
        const QString now[] = {d.cbbFramerate->currentText(), d.cbbVideoSize->currentText(),
                               d.cbbAudioVolumeGain->currentText()};
        const QString expected[] = {restores ? frameRate : changed[0], restores ? size : changed[1],
                                    restores ? volume : changed[2]};
        for (int i = 0; i < 3; ++i) QCOMPARE(now[i], expected[i]);
        // Add was written to disk; only OK shows it in the main window.
        QCOMPARE(f.Items(), QStringList{"UserProfileInfo1"});
        QCOMPARE(f.MainItems().size(), 5);
    }

    // A window system's show event (restoring a minimised dialog) is no new
    // show: the snapshot stays that of the real show.
    void snapshotOnRealShowsOnly() {
        TOptionFixture f;
        TfrmOption& d = *f.Dialog;
        QVERIFY(f.Show());
        const QString frameRate = d.cbbFramerate->currentText();
        ChooseWithKeyboard(d.cbbFramerate, 0);

        QShowEvent restored;
        QSpontaneKeyEvent::setSpontaneous(&restored);
        QApplication::instance()->notify(&d, &restored);
        QTest::mouseClick(d.btnCancel, Qt::LeftButton);
        QCOMPARE(d.cbbFramerate->currentText(), frameRate);

        QVERIFY(f.Show());
        ChooseWithKeyboard(d.cbbFramerate, 0);
        d.hide();
        QVERIFY(f.Show());  // a real show takes a new snapshot
        QTest::mouseClick(d.btnCancel, Qt::LeftButton);
        QCOMPARE(d.cbbFramerate->currentIndex(), 0);
    }

    void okRebuildsTheMainProfileList() {
        TOptionFixture f;
        TfrmOption& d = *f.Dialog;
        QVERIFY(f.Show());
        f.Messages.Answers = {std::string("Mine")};
        QTest::mouseClick(d.btnAdd, Qt::LeftButton);
        ChooseWithKeyboard(d.cbbFramerate, 0);
        const std::string row = f.Row();
        f.Forms.FrmMainForm.cbbProfile.SetItemIndex(0);

        QTest::mouseClick(d.btnApply, Qt::LeftButton);

        QVERIFY(!d.isVisible());
        QCOMPARE(f.MainItems().size(), 6);
        QCOMPARE(f.MainItems().last(), QString("Mine"));
        QCOMPARE(f.Forms.FrmMainForm.cbbProfile.SelectedText(), std::string("Normal Quality"));
        QCOMPARE(f.Row(), row);  // OK applies nothing
    }

    // A non-numeric field reaches the error report; the fields before it
    // stay applied and the file is kept as it is.
    void handEditedFileReportsABadField() {
        const std::string file =
            "[Short]\r\nShort=1|2\r\n[Twice]\r\nTwice=0|0|0|0|0|0\r\n[Twice]\r\nTwice=1|1|1|1|1|"
            "1\r\n"
            "[Bad]\r\nBad=2|x|0|0|0|0\r\n";
        TOptionFixture f(file);
        QVERIFY(f.Show());
        QCOMPARE(f.Items(), (QStringList{"Short", "Twice", "Twice", "Bad"}));
        const std::string start = f.Row();
        QComboBox* profiles = f.Dialog->cbbCustomProfile;
        profiles->setFocus();
        QTest::keyClick(profiles, Qt::Key_Down);
        QCOMPARE(f.Row(), start);
        QTest::keyClick(profiles, Qt::Key_Down);
        QTest::keyClick(profiles, Qt::Key_Down);  // the second "Twice": the first one's row
        QCOMPARE(f.Row(), std::string("0|0|0|0|0|0"));
        QTest::keyClick(profiles, Qt::Key_Down);
        QCOMPARE(f.Messages.Count("ShowError"), 1);
        QVERIFY(f.Messages.Calls.back().Text.find("'x'") != std::string::npos);
        QCOMPARE(f.Row(), std::string("2|0|0|0|0|0"));
        QCOMPARE(f.ProfileFile(), file);
        QVERIFY(f.Dialog->isVisible());
    }

    void missingConfigFailsAddAndSaveNamingTheFile() {
        TOptionFixture f;
        fs::remove_all(f.Folder.Path() + "Config");
        QVERIFY(f.Show());
        QTest::mouseClick(f.Dialog->btnAdd, Qt::LeftButton);
        TypeInto(f.Dialog->cbbCustomProfile, "Name");
        QTest::mouseClick(f.Dialog->btnSave, Qt::LeftButton);
        QCOMPARE(f.Messages.Count("InputQuery"), 0);
        QCOMPARE(f.Messages.Count("ShowError"), 2);
        QVERIFY(f.Messages.Calls[0].Text.find(f.Folder.Path() + "Config/UserProfileCount.ini") !=
                std::string::npos);
        QVERIFY(f.Messages.Calls[1].Text.find(f.Folder.Path() + "Config/UserProfileInfo.ini") !=
                std::string::npos);
        QVERIFY(!fs::exists(f.Folder.Path() + "Config"));
        QVERIFY(f.Dialog->isVisible());
    }

    // The main window opens the dialog without blocking and, when it is
    // open already, only brings it to the front; its browse button sets the
    // output folder through the chooser.
    void mainWindowOpensTheDialogAndChoosesTheFolder() {
        TProgramFolder folder;
        for (const char* name : {"libAssets.so", "libPanes.so"})
            QVERIFY(folder.CopyFromBuild(name));
        fs::create_directories(folder.Path() + "Config");
        TAppFunc::SetAppPath(folder.Path());
        TPromptMessages messages;
        TScriptedFolders folders;
        TPorts ports;
        ports.Messages = &messages;
        ports.Dialogs = &folders;
        TForms forms;
        {
            TFrmMainForm main(forms, ports, folder.Path());
            main.Proc().FillAllLists();
            auto* dialog = new TfrmOption(forms, main.Proc(), ports, &main);
            main.SetOptionForm(dialog);

            main.btnOptions->click();
            QVERIFY(dialog->isVisible());
            QVERIFY(!dialog->isModal());
            QVERIFY(dialog->isWindow());
            QCOMPARE(dialog->cbbCustomProfile->count(), 0);
            folder.Write("Config/UserProfileInfo.ini", "\r\n[Later]\r\nLater=0|0|0|0|0|0\r\n");
            main.btnOptions->click();
            QCOMPARE(dialog->cbbCustomProfile->count(), 0);  // no second show

            const std::string chosen = folder.Path() + "out";
            fs::create_directories(chosen);
            folders.Choice = chosen;
            main.btnSelectOutputFolder->click();
            QCOMPARE(main.edtOutputFolder->text().toStdString(), chosen);
            folders.Choice.reset();
            main.btnSelectOutputFolder->click();
            QCOMPARE(main.edtOutputFolder->text().toStdString(), chosen);
            QCOMPARE(folders.Titles, (std::vector<std::string>(2, "Please select output folder:")));
            QVERIFY(!fs::exists(chosen + "/test"));
        }
        TAppFunc::SetAppPath("");
    }
};

ORV_TEST_SUITE(OptionDialogTest);

#include "OptionDialogTest.moc"

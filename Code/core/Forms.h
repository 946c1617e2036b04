// The models of the three windows' controls, under the controls' names.
// One instance lives for the whole run; the Qt windows are views over it.
#pragma once

#include <array>
#include <string>

#include "Models.h"
#include "TrimStrip.h"

// The main window's controls that the logic reads and writes.
struct TMainFormModel {
    TSettingsList cbbOutputFiletype;
    TSettingsList cbbProfile;
    TTextValue edtOutputFolder;  // set to $HOME/orvanel at start
    TCheckValue chkShutdown{false};
    TCheckValue chkShowOutputDirectory{true};
    TSourceList dxTreeSourceFileInfo;
    TTextValue lblTitle;
    // The preview: the logo over the video area, the play time, the play
    // position bar and the clock (the hidden track bar's timer), which
    // runs only while a file plays.
    TCheckValue panLogo{true};
    TTextValue pnlCurTime{"00:00:00"};
    TProgressBarModel pbPlayState;
    TCheckValue dstrckbrMainform{false};
    // The trim strip with its two markers.
    TTrimStrip Panel1;
};

// The Options dialog's lists.
struct TOptionFormModel {
    TSettingsList cbbVideoSize;
    TSettingsList cbbVideoBitrate;
    TSettingsList cbbFramerate;
    TSettingsList cbbAspectratio;
    TSettingsList cbbAudioBitrate;
    TSettingsList cbbAudioSample;
    TSettingsList cbbAudioVolumeGain;
    TSettingsList cbbAudioChannels;
    TEditableList cbbCustomProfile;
};

// The progress window's controls.
struct TProgressFormModel {
    TTextValue lblCurFileName;
    TProgressBarModel pbTotal;
    TProgressBarModel ProgressBar1;
    std::array<TCheckValue, 6> imgDots;  // img1 .. img6: shown or hidden
    TTextValue lblPersent{"Current: 1, Total: ..."};
    TTextValue statState;  // the first panel of the status bar
    TCheckValue tmrChanging{false};  // the animation timer runs
};

struct TForms {
    TMainFormModel FrmMainForm;
    TOptionFormModel frmOption;
    TProgressFormModel frmConverting;
};

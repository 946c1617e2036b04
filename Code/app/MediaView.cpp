#include "MediaView.h"

#include <QVBoxLayout>

#include "ErrorReport.h"
#include "ModelViews.h"
#include "QtPlayer.h"
#include "Skin.h"
#include "Unit_Converting.h"

// --- TMediaView -------------------------------------------------------------

TMediaView::TMediaView(QWidget* parent)
    : QFrame(parent),
      Pages(new QStackedWidget(this)),
      panLogo(new QLabel),
      VideoPage(new QWidget),
      DSVideoWindowEx1(new QVideoWidget) {
    setObjectName("pnlMediaView");
    setFixedSize(kWidth, kHeight);
    const QSize area(kWidth - 2 * kBevel, kHeight - 2 * kBevel);
    Pages->setObjectName("pnlMediaPages");
    panLogo->setObjectName("panLogo");
    panLogo->setAlignment(Qt::AlignCenter);
    panLogo->setPixmap(SkinPixmap("logo.svg", area, devicePixelRatioF()));
    VideoPage->setObjectName("pnlVideoPage");
    DSVideoWindowEx1->setObjectName("DSVideoWindowEx1");
    DSVideoWindowEx1->setAspectRatioMode(Qt::KeepAspectRatio);
    // Black bars around a picture of another shape, and black before the
    // first picture arrives.
    QPalette black = DSVideoWindowEx1->palette();
    black.setColor(QPalette::Window, Qt::black);
    DSVideoWindowEx1->setPalette(black);
    DSVideoWindowEx1->setAutoFillBackground(true);
    VideoPage->setStyleSheet("#pnlVideoPage { background: black; }");
    auto* videoLayout = new QVBoxLayout(VideoPage);
    videoLayout->setContentsMargins(0, 0, 0, 0);
    videoLayout->addWidget(DSVideoWindowEx1);
    Pages->addWidget(panLogo);
    Pages->addWidget(VideoPage);
    Pages->setCurrentWidget(panLogo);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kBevel, kBevel, kBevel, kBevel);
    layout->addWidget(Pages);
}

TMediaView::~TMediaView() {
    // The player must not hold on to the video widget once it goes.
    if (player_) player_->SetVideoOutput(nullptr);
}

void TMediaView::AttachPlayer(TQtPlayer* player) {
    if (player_) player_->SetVideoOutput(nullptr);
    player_ = player;
    if (player_) player_->SetVideoOutput(DSVideoWindowEx1);
}

// --- TPreviewControls -------------------------------------------------------

TPreviewControls::TPreviewControls(TCustomProc& proc, TPorts& ports, const TPreviewWidgets& widgets)
    : proc_(proc), ports_(ports), widgets_(widgets), preview_(proc), trim_(proc) {
    TMainFormModel& model = proc_.Forms().FrmMainForm;

    dstrckbrMainform = new QTimer(this);
    dstrckbrMainform->setObjectName("dstrckbrMainform");
    // A coarse timer may stretch a second by up to 5 %, and the display
    // would then skip a second now and then.
    dstrckbrMainform->setTimerType(Qt::PreciseTimer);
    dstrckbrMainform->setInterval(TPreviewLogic::kClockIntervalMs);
    connect(dstrckbrMainform, &QTimer::timeout, this, [this] { dstrckbrMainformTimer(); });
    model.dstrckbrMainform.SetOnChanged([this] { FollowClock(); });
    FollowClock();

    model.panLogo.SetOnChanged([this] { ShowLogo(); });
    ShowLogo();
    BindLabel(widgets_.CurTime, model.pnlCurTime);
    widgets_.CurTime->setAlignment(Qt::AlignCenter);
    BindProgressBar(widgets_.PlayState, model.pbPlayState);

    TTrimBar* strip = widgets_.TrimBar;
    strip->Bind(model.Panel1);
    strip->OnSplitter1Moved = [this] { Splitter1Moved(); };
    strip->OnSplitter2Moved = [this] { Splitter2Moved(); };
    strip->OnPanel2MouseDown = [this](TMouseButton b, TShiftState s) { Panel2MouseDown(b, s); };
    strip->OnPanel4MouseDown = [this](TMouseButton b, TShiftState s) { Panel4MouseDown(b, s); };
    strip->OnPanel3MouseDown = [this](TMouseButton b, TShiftState s) { Panel3MouseDown(b, s); };

    connect(widgets_.Play, &QAbstractButton::clicked, this, [this] { btnPlayClick(); });
    connect(widgets_.Pause, &QAbstractButton::clicked, this, [this] { btnPauseClick(); });
    connect(widgets_.Stop, &QAbstractButton::clicked, this, [this] { RzBmpButton1Click(); });
    // The list takes a press's selection into its model before these run.
    connect(widgets_.SourceList, &QAbstractItemView::clicked, this,
            [this] { actDxTreeListOnClickExecute(); });
    connect(widgets_.SourceList, &QAbstractItemView::doubleClicked, this,
            [this] { dxTreeSourceFileInfoDblClick(); });
}

TPreviewControls::~TPreviewControls() {
    TMainFormModel& model = proc_.Forms().FrmMainForm;
    model.dstrckbrMainform.SetOnChanged(nullptr);
    model.panLogo.SetOnChanged(nullptr);
    if (player_) player_->OnEndOfMedia = nullptr;
}

void TPreviewControls::AttachPlayer(TQtPlayer& player) {
    player_ = &player;
    widgets_.MediaView->AttachPlayer(&player);
    player.OnEndOfMedia = [this] { MediaEnded(); };
}

void TPreviewControls::Guard(const std::function<void()>& handler) {
    RunGuarded(*ports_.Messages, handler);
}

void TPreviewControls::FollowClock() {
    // Started afresh on every resume: the first tick comes a second later.
    if (proc_.Forms().FrmMainForm.dstrckbrMainform.Checked()) {
        if (!dstrckbrMainform->isActive()) dstrckbrMainform->start();
    } else {
        dstrckbrMainform->stop();
    }
}

void TPreviewControls::ShowLogo() {
    TMediaView* view = widgets_.MediaView;
    const bool logo = proc_.Forms().FrmMainForm.panLogo.Checked();
    view->Pages->setCurrentWidget(logo ? static_cast<QWidget*>(view->panLogo) : view->VideoPage);
}

void TPreviewControls::dstrckbrMainformTimer() {
    Guard([this] { preview_.dstrckbrMainformTimer(); });
}

void TPreviewControls::btnPlayClick() {
    Guard([this] { preview_.btnPlayClick(); });
}

void TPreviewControls::btnPauseClick() {
    Guard([this] { preview_.btnPauseClick(); });
}

void TPreviewControls::RzBmpButton1Click() {
    Guard([this] { preview_.RzBmpButton1Click(); });
}

void TPreviewControls::dxTreeSourceFileInfoDblClick() {
    Guard([this] { preview_.dxTreeSourceFileInfoDblClick(); });
}

void TPreviewControls::MediaEnded() {
    Guard([this] { preview_.MediaEnded(); });
}

void TPreviewControls::actDxTreeListOnClickExecute() {
    Guard([this] { trim_.actDxTreeListOnClickExecute(); });
}

void TPreviewControls::Splitter1Moved() {
    Guard([this] { trim_.Splitter1Moved(); });
}

void TPreviewControls::Splitter2Moved() {
    Guard([this] { trim_.Splitter2Moved(); });
}

void TPreviewControls::Panel2MouseDown(TMouseButton button, TShiftState shift) {
    Guard([&] { trim_.Panel2MouseDown(button, shift); });
}

void TPreviewControls::Panel4MouseDown(TMouseButton button, TShiftState shift) {
    Guard([&] { trim_.Panel4MouseDown(button, shift); });
}

void TPreviewControls::Panel3MouseDown(TMouseButton button, TShiftState shift) {
    Guard([&] { trim_.Panel3MouseDown(button, shift); });
}

#include "Unit_Converting.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QShowEvent>

#include "ErrorReport.h"
#include "ModelViews.h"
#include "QtText.h"
#include "Skin.h"

namespace {

void ShowBar(QProgressBar* view, const TProgressBarModel& model) {
    if (model.Max() <= model.Min()) {
        // Qt animates a 0..0 range as "busy"; an empty range shows an empty bar.
        view->setRange(0, 1);
        view->setValue(0);
        return;
    }
    view->setRange(model.Min(), model.Max());
    view->setValue(model.Position());
}

QProgressBar* MakeBar(const char* name, const QRect& geometry, QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setTextVisible(false);
    bar->setGeometry(geometry);
    return bar;
}

}  // namespace

void BindProgressBar(QProgressBar* view, TProgressBarModel& model) {
    view->setTextVisible(false);
    ShowBar(view, model);
    model.SetOnChanged([view, &model] { ShowBar(view, model); });
    QObject::connect(view, &QObject::destroyed, [&model] { model.SetOnChanged(nullptr); });
}

TStatusPanel::TStatusPanel(QWidget* parent) : QWidget(parent) {}

void TStatusPanel::SetText(const QString& text) {
    text_ = text;
    update();
}

void TStatusPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // One line, whatever line ends the encoder wrote, cut off at the edge.
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect().adjusted(3, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text_);
}

TfrmConverting::TfrmConverting(TForms& forms, TCustomProc& proc, TPorts& ports, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint),
      forms_(forms),
      proc_(proc),
      ports_(ports),
      logic_(std::make_unique<TConvertingLogic>(proc)),
      dragger_(new TWindowDragger(this)) {
    setObjectName("frmConverting");
    // Free skin moves the window, as on the main window.
    dragger_->Watch(this);
    setWindowTitle("Converting");
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(kClientWidth, kClientHeight);
    setStyleSheet(WindowStyleSheet());
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area(QPoint(), size());
        area.moveCenter(screen->availableGeometry().center());
        move(area.topLeft());
    }
    CreateControls();
    BindModels();
    RenderSkinPicture();
    proc_.ConvertingLogic = logic_.get();
}

TfrmConverting::~TfrmConverting() {
    if (proc_.ConvertingLogic == logic_.get()) proc_.ConvertingLogic = nullptr;
}

void TfrmConverting::Guard(const std::function<void()>& handler) {
    RunGuarded(*ports_.Messages, handler);
}

void TfrmConverting::CreateControls() {
    lblInfo = MakeLabel("lblInfo", "Please wait . . .", {16, 8, 250, 18}, this);
    dragger_->Watch(lblInfo);
    lblCurConvertFileL =
        MakeLabel("lblCurConvertFileL", "Current Convert File:", {16, 46, 136, 16}, this);
    lblCurFileName = MakeLabel("lblCurFileName", QString(), {152, 46, 217, 16}, this);
    lblTotalFilr = MakeLabel("lblTotalFilr", "Total File:", {16, 80, 70, 17}, this);
    pbTotal = MakeBar("pbTotal", {88, 80, 321, 17}, this);
    lblCurprog = MakeLabel("lblCurprog", "Current File:", {16, 112, 70, 17}, this);
    ProgressBar1 = MakeBar("ProgressBar1", {88, 112, 321, 17}, this);

    const QPixmap dot = SkinPixmap("dot.svg", QSize(17, 17), devicePixelRatioF());
    for (int i = 0; i < 6; ++i) {
        QLabel* picture = MakeLabel("", QString(), {103 + 21 * i, 122, 17, 17}, this);
        picture->setObjectName(QStringLiteral("img%1").arg(i + 1));
        picture->setPixmap(dot);
        picture->setAttribute(Qt::WA_TransparentForMouseEvents);
        picture->hide();
        img[static_cast<size_t>(i)] = picture;
    }

    lblPersent = MakeLabel("lblPersent", QString(), {88, 148, 200, 16}, this);
    btnStop = new TPictureButton("btnStop", "stopbatch", QSize(108, 38), "Stop", this);
    btnStop->move(301, 153);

    statState = new QStatusBar(this);
    statState->setObjectName("statState");
    statState->setSizeGripEnabled(false);
    statState->setGeometry(0, kSkinHeight, kClientWidth, kClientHeight - kSkinHeight);
    statStatePanel = new TStatusPanel(statState);
    statStatePanel->setObjectName("statStatePanel");
    statStatePanel->setFixedWidth(kStatusPanelWidth);
    statState->addWidget(statStatePanel);

    tmrChanging = new QTimer(this);
    tmrChanging->setObjectName("tmrChanging");
    tmrChanging->setInterval(kAnimationMs);

    connect(btnStop, &QAbstractButton::clicked, this, [this] { btnStop1Click(); });
    connect(tmrChanging, &QTimer::timeout, this, [this] { tmrChangingTimer(); });
}

void TfrmConverting::BindModels() {
    TProgressFormModel& model = forms_.frmConverting;
    BindLabel(lblCurFileName, model.lblCurFileName);
    BindLabel(lblPersent, model.lblPersent);
    BindProgressBar(pbTotal, model.pbTotal);
    BindProgressBar(ProgressBar1, model.ProgressBar1);
    for (size_t i = 0; i < img.size(); ++i) {
        QLabel* picture = img[i];
        TCheckValue& shown = model.imgDots[i];
        picture->setVisible(shown.Checked());
        shown.SetOnChanged([picture, &shown] { picture->setVisible(shown.Checked()); });
        connect(picture, &QObject::destroyed, [&shown] { shown.SetOnChanged(nullptr); });
    }
    TTextValue& chunk = model.statState;
    statStatePanel->SetText(ToQString(chunk.Text()));
    chunk.SetOnChanged([this, &chunk] { statStatePanel->SetText(ToQString(chunk.Text())); });
    TCheckValue& running = model.tmrChanging;
    auto follow = [this, &running] {
        if (running.Checked() != tmrChanging->isActive())
            running.Checked() ? tmrChanging->start() : tmrChanging->stop();
    };
    follow();
    running.SetOnChanged(follow);
    // The models outlive this window; their listeners must not.
    connect(this, &QObject::destroyed, [&chunk, &running] {
        chunk.SetOnChanged(nullptr);
        running.SetOnChanged(nullptr);
    });
}

void TfrmConverting::RenderSkinPicture() {
    skin_ = CutKeyColour(
        RenderSkin("progress.svg", QSize(kClientWidth, kSkinHeight), devicePixelRatioF()));
    // The outline of the picture, with the status bar below it.
    QRegion outline = skin_.isNull() ? QRegion(0, 0, kClientWidth, kSkinHeight) : OutlineOf(skin_);
    outline += StatusStrip().toFillPolygon().toPolygon();
    setMask(outline);
}

// The status bar's background: it reaches a little under the skin, so the
// two join without a gap, and is rounded at the bottom like the skin on top.
QPainterPath TfrmConverting::StatusStrip() const {
    constexpr int kOverlap = 8;
    constexpr int kRadius = 10;
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(0, kSkinHeight - kOverlap - kRadius, kClientWidth,
                                  kClientHeight - kSkinHeight + kOverlap + kRadius),
                           kRadius, kRadius);
    QPainterPath below;
    below.addRect(
        QRectF(0, kSkinHeight - kOverlap, kClientWidth, kClientHeight - kSkinHeight + kOverlap));
    return rounded.intersected(below);
}

void TfrmConverting::showEvent(QShowEvent* event) {
    // A minimised window that comes back is no new show: mid-batch it must
    // keep its bars.
    if (!event->spontaneous()) FormShow();
    QWidget::showEvent(event);
}

void TfrmConverting::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    Guard([&] { mayClose = logic_->FormClose(); });
    if (mayClose)
        event->accept();
    else
        event->ignore();
}

void TfrmConverting::keyPressEvent(QKeyEvent* event) {
    // Esc neither closes this window nor stops the batch.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfrmConverting::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(StatusStrip(), QColor(0x0c, 0x12, 0x1b));
    painter.drawImage(0, 0, skin_);
}

void TfrmConverting::FormShow() {
    Guard([this] { logic_->FormShow(); });
}

void TfrmConverting::tmrChangingTimer() {
    Guard([this] { logic_->tmrChangingTimer(); });
}

void TfrmConverting::btnStop1Click() {
    Guard([this] { logic_->btnStop1Click(); });
}

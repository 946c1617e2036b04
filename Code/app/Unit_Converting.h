// The progress window frmConverting: created hidden at start-up, shown by
// the batch for its first file and hidden at its end or by a stop. A view
// over the window's models (TForms::frmConverting); its handlers are those
// of TConvertingLogic, which the batch reaches through the shared object.
#pragma once

#include <QImage>
#include <QLabel>
#include <QPainterPath>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>

#include "ConvertingLogic.h"
#include "Forms.h"
#include "PictureButton.h"
#include "Ports.h"
#include "SkinnedWindow.h"
#include "UnitCustomProc.h"

// Shows a progress bar model: its range and position, no percentage text,
// and an empty bar (not Qt's busy animation) for an empty range.
void BindProgressBar(QProgressBar* view, TProgressBarModel& model);

// One status bar panel: a single line of text, cut off at the panel's edge.
class TStatusPanel : public QWidget {
    Q_OBJECT
  public:
    explicit TStatusPanel(QWidget* parent);
    void SetText(const QString& text);
    const QString& Text() const { return text_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
};

class TfrmConverting : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 435;
    static constexpr int kClientHeight = 222;
    // The skinned area on top; the status bar fills the rest.
    static constexpr int kSkinHeight = 205;
    static constexpr int kAnimationMs = 333;
    static constexpr int kStatusPanelWidth = 50;

    TfrmConverting(TForms& forms, TCustomProc& proc, TPorts& ports, QWidget* parent);
    ~TfrmConverting() override;

    TConvertingLogic& Logic() { return *logic_; }

    // Controls, under their names.
    QLabel* lblInfo;
    QLabel* lblCurConvertFileL;
    QLabel* lblCurFileName;
    QLabel* lblTotalFilr;
    QProgressBar* pbTotal;
    QLabel* lblCurprog;
    QProgressBar* ProgressBar1;
    std::array<QLabel*, 6> img;  // img1 .. img6
    QLabel* lblPersent;
    TPictureButton* btnStop;
    QStatusBar* statState;
    TStatusPanel* statStatePanel;
    QTimer* tmrChanging;

    // Handlers.
    void FormShow();
    void tmrChangingTimer();
    void btnStop1Click();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void CreateControls();
    void BindModels();
    void RenderSkinPicture();
    QPainterPath StatusStrip() const;
    void Guard(const std::function<void()>& handler);

    TForms& forms_;
    TCustomProc& proc_;
    TPorts& ports_;
    std::unique_ptr<TConvertingLogic> logic_;
    TWindowDragger* dragger_;
    QImage skin_;
    bool centred_ = false;
};

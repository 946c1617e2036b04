// The trim strip Panel1 under the preview: the start marker imgL and the
// end marker imgR over the length of the file.
#pragma once

#include <QFrame>
#include <QLabel>

class TTrimBar : public QFrame {
    Q_OBJECT
  public:
    static constexpr int kWidth = 260;
    static constexpr int kHeight = 21;
    static constexpr int kMarkerWidth = 18;
    static constexpr int kMarkerHeight = 20;

    explicit TTrimBar(QWidget* parent);

    QLabel* imgL;
    QLabel* imgR;
};

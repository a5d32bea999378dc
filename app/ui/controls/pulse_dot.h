#pragma once

#include <QVariantAnimation>
#include <QWidget>

namespace ventoria::ui {

// A small pulsing dot of the safety colour. It pulses only while shown.
// How far a pulse has dimmed at `cycle` (0…1 of one pulse): out and back, each half eased in
// and out, so the dot slows at both ends of its swing.
double pulseDim(double cycle);

class PulseDot : public QWidget {
    Q_OBJECT
  public:
    explicit PulseDot(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QVariantAnimation pulse_;
};

}  // namespace ventoria::ui

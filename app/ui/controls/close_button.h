#pragma once

#include <QAbstractButton>
#include <QColor>

namespace ventoria::ui {

// A window's close control, where the system draws none: a cross in a circle that fills in
// under the pointer.
class CloseButton : public QAbstractButton {
    Q_OBJECT
  public:
    explicit CloseButton(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {18, 18}; }
    void setColors(const QColor& mark, const QColor& fill);

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    bool hovered_ = false;
    QColor mark_;
    QColor fill_;
};

}  // namespace ventoria::ui

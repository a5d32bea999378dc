#pragma once

#include <QColor>
#include <QWidget>

namespace ventoria::ui {

// A divider: a rectangle half a point high.
class Hairline : public QWidget {
    Q_OBJECT
  public:
    explicit Hairline(QWidget* parent);
    void setColor(const QColor& color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor color_;
};

}  // namespace ventoria::ui

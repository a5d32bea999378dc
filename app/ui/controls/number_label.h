#pragma once

#include <QLabel>

namespace ventoria::ui {

// A one-line label whose numbers keep their width as they change: its digits are drawn with
// tabular figures (tabular_text.h).
class NumberLabel : public QLabel {
    Q_OBJECT
  public:
    explicit NumberLabel(QWidget* parent = nullptr) : QLabel(parent) {}
    explicit NumberLabel(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent) {}

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace ventoria::ui

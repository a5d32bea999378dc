#pragma once

#include "controls/number_label.h"

namespace ventoria::ui {

// A one-line label for texts of any length, such as error messages: a text too long for the
// label is cut with an ellipsis, never without a sign, and the whole text is the label's
// tooltip. A text that is a summary gives its detail as the tooltip instead. Its numbers keep
// their width as they change.
class ElidingLabel : public NumberLabel {
    Q_OBJECT
  public:
    explicit ElidingLabel(QWidget* parent = nullptr);

    void setFullText(const QString& text, const QString& detail = {});
    // It takes the width its layout gives it.
    QSize minimumSizeHint() const override { return {0, NumberLabel::minimumSizeHint().height()}; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void elide();

    QString full_;
    QString detail_;
};

}  // namespace ventoria::ui

#pragma once

#include <QLabel>

namespace ventoria::ui {

// A one-line label for texts of any length, such as error messages: a text too long for the
// label is cut at a word with an ellipsis, never mid-word without a sign, and the whole text
// is the label's tooltip. A text that is a summary gives its detail as the tooltip instead.
class ElidingLabel : public QLabel {
    Q_OBJECT
  public:
    explicit ElidingLabel(QWidget* parent = nullptr);

    void setFullText(const QString& text, const QString& detail = {});
    const QString& fullText() const { return full_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void elide();

    QString full_;
    QString detail_;
};

}  // namespace ventoria::ui

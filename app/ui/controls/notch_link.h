#pragma once

#include <QAbstractButton>

namespace ventoria::ui {

// A text link that brightens under the pointer.
class NotchLink : public QAbstractButton {
    Q_OBJECT
  public:
    NotchLink(const QString& title, QWidget* parent = nullptr);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    bool hovered_ = false;
};

}  // namespace ventoria::ui

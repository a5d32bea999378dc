#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

namespace ventoria::ui {

// A window of the editor's kind (titled, floating, drawn by its view) that shows one view at
// a time. Made on first use; present() centres it on the primary screen and brings it forward.
class UtilityWindow {
  public:
    explicit UtilityWindow(QString title);
    ~UtilityWindow();

    // Shows `view` (owned from now on) in place of the previous one, which goes.
    void setView(QWidget* view);
    void present();
    void close();
    // Nothing before the first setView.
    QWidget* window() const { return window_.get(); }

  private:
    QString title_;
    std::unique_ptr<QWidget> window_;
    QPointer<QWidget> view_;
};

}  // namespace ventoria::ui

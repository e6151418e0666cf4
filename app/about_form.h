#pragma once
// The About box: the program's image, name and version on a white panel. The link "Close the
// window" or a click on the bare background (of the box or of the panel) closes it; clicks
// on the image and on the plain texts do nothing, and Escape does not close it.

#include <QDialog>

class QLabel;
class QFrame;

namespace quillory::app {

class TAboutForm : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutForm(QWidget* parent = nullptr);

    QLabel* Image() const { return Image1; }
    QLabel* CloseLink() const { return Label5; }
    QFrame* Panel() const { return Panel1; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QFrame* Panel1;
    QLabel* Image1;
    QLabel* Label5;  // "Close the window"
};

}  // namespace quillory::app

#include "app/dialog_buttons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPushButton>

namespace quillory::app {

namespace {

// Watches the window itself: a button that does not take Enter lets the key travel up to its
// window, where this filter sees it before the window's default-button handling does.
class FocusedButtonPresser final : public QObject {
  public:
    explicit FocusedButtonPresser(QWidget* window) : QObject(window), window_(window) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_ || event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        // Key events go to the window's focus widget, so that is the control Enter was
        // pressed on.
        auto* button = qobject_cast<QPushButton*>(window_->focusWidget());
        if (!button || button->window() != window_ || !button->isEnabled() || !button->isVisible())
            return false;
        button->click();
        return true;
    }

  private:
    QWidget* window_;
};

}  // namespace

QDialogButtonBox* MakeOkCancelButtons(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    ok->setText(QStringLiteral("OK"));
    ok->setAccessibleName(QStringLiteral("OK"));
    ok->setDefault(true);
    cancel->setText(QStringLiteral("Cancel"));
    cancel->setAccessibleName(QStringLiteral("Cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    EnterPressesFocusedButton(dialog);
    return buttons;
}

void EnterPressesFocusedButton(QWidget* window) {
    // Once per window is enough; a second filter would never see a key the first one took.
    static const char* const kInstalled = "quilloryEnterPressesFocusedButton";
    if (window->property(kInstalled).toBool()) return;
    window->setProperty(kInstalled, true);
    window->installEventFilter(new FocusedButtonPresser(window));
}

}  // namespace quillory::app

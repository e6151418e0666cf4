#pragma once
// Records the program's launches instead of opening a browser or starting a program (and
// fails them on request), and helpers to act on the modal dialog a command opens.

#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "app/external_launcher.h"

namespace quillory::app::test {

class FakeLauncher : public ExternalLauncher {
  public:
    void Launch(const QString& target) override {
        targets << target;
        if (!failWith.isEmpty()) ReportFailure(target, failWith);
    }
    // The last launch failed later, as when the desktop's opener has ended.
    void FailLast(const QString& reason) { ReportFailure(targets.last(), reason); }

    QStringList targets;
    QString failWith;  // when set, every launch fails at once for this reason
};

// Acts on the modal dialog once the command's event loop has shown it. A command that shows
// no dialog leaves the action to run later, where it finds none and the test fails.
inline void WhenModalShown(std::function<void(QWidget* dialog)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            ADD_FAILURE() << "no modal dialog was shown";
            return;
        }
        act(dialog);
    });
}

}  // namespace quillory::app::test

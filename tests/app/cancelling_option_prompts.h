#pragma once
// The Options dialog's choosers for tests that need none: every chooser is cancelled and
// every box is dismissed at once.

#include "app/option_prompts.h"

namespace quillory::app::test {

class CancellingOptionPrompts : public OptionPrompts {
  public:
    QString ChooseDatabaseFile(QWidget*, const QString&, bool, const QString&, const QString&) override {
        return {};
    }
    QString ChooseFolder(QWidget*) override { return {}; }
    void ShowInformationBox(const QString&, const QString&) override {}
    bool ChoosePowerSearchProgram(QWidget*, QString&) override { return false; }
};

}  // namespace quillory::app::test

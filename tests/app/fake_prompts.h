#pragma once
// Answers the program's questions in tests and records what it showed.

#include <QStringList>

#include "app/ui_prompts.h"

namespace quillory::app::test {

class FakePrompts : public UiPrompts {
  public:
    void ShowError(QWidget*, const QString& text) override { errors << text; }
    void ShowInformation(QWidget*, const QString& text) override { information << text; }
    QString SaveFileName(QWidget*, const QString& defaultSuffix, const QString& filter) override {
        askedSuffixes << defaultSuffix;
        askedFilters << filter;
        return nextSaveName;
    }

    QStringList errors;
    QStringList information;
    QStringList askedSuffixes;
    QStringList askedFilters;
    QString nextSaveName;
};

}  // namespace quillory::app::test

#include "app/external_launches.h"

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>

#include "app/about_form.h"
#include "app/launch_targets.h"
#include "app/main_window.h"
#include "app/power_search_form.h"
#include "app/qt_text.h"
#include "app/rescan_form.h"

namespace quillory::app {

ExternalLaunches::ExternalLaunches(TQuilloryForm1& form, std::unique_ptr<ExternalLauncher> launcher)
    : QObject(&form), form_(form), launcher_(std::move(launcher)) {
    launcher_->SetFailureReport(ShowLaunchFailures(form.Context().prompts, &form));
    powerSearchForm_ = new TPowerSearchForm(*launcher_, &form);
    aboutForm_ = new TAboutForm(&form);

    connect(form.Button(5), &QPushButton::clicked, this, &ExternalLaunches::RunPowerSearch);
    connect(form.Button(6), &QPushButton::clicked, this, [this] { OpenInternetSearch(true); });
    connect(form.Button(7), &QPushButton::clicked, this,
            [this] { ShowHelpTopic(QStringLiteral("Start.htm")); });
    connect(form.Button(8), &QPushButton::clicked, this, &ExternalLaunches::ShowAbout);
    connect(form.MenuAction(QStringLiteral("Help1")), &QAction::triggered, this,
            [this] { ShowHelpTopic(QStringLiteral("Start.htm")); });
    connect(form.MenuAction(QStringLiteral("About1")), &QAction::triggered, this,
            &ExternalLaunches::ShowAbout);
    connect(form.MenuAction(QStringLiteral("OpenPowerSearch1")), &QAction::triggered, this,
            &ExternalLaunches::RunPowerSearch);
    connect(form.MenuAction(QStringLiteral("OpenInternetSearch1")), &QAction::triggered, this,
            [this] { OpenInternetSearch(false); });
    connect(form.RescanForm(), &TRescanForm::helpTopicRequested, this, &ExternalLaunches::ShowHelpTopic);
    connect(form.RescanForm(), &TRescanForm::makerPageRequested, this,
            [this](const QString& page) { launcher_->Launch(MakerPage(page)); });
}

ExternalLaunches::~ExternalLaunches() = default;

void ExternalLaunches::RunPowerSearch() {
    QString program = FromBytes(form_.Context().settings.PowerSearchFile);
    if (program.isEmpty()) {
        if (powerSearchForm_->exec() != QDialog::Accepted) return;
        program = powerSearchForm_->Path();
        form_.Context().settings.PowerSearchFile = program.toUtf8().toStdString();
    }
    if (program.isEmpty()) return;
    launcher_->Launch(program);
    // A window already out of sight stays so (where no tray exists hiding would show it
    // minimised).
    if (form_.isVisible()) form_.HideToTray();
}

void ExternalLaunches::OpenInternetSearch(bool hideToTray) {
    launcher_->Launch(MakerPage(QStringLiteral("internet-search.htm")));
    if (hideToTray && form_.isVisible()) form_.HideToTray();
}

void ExternalLaunches::ShowHelpTopic(const QString& topic) {
    launcher_->Launch(HelpTopicAddress(HelpFolder(QCoreApplication::applicationDirPath()), topic));
}

void ExternalLaunches::ShowAbout() {
    aboutForm_->exec();
}

ExternalLaunches* AttachExternalLaunches(TQuilloryForm1& form, std::unique_ptr<ExternalLauncher> launcher) {
    return new ExternalLaunches(form, std::move(launcher));
}

}  // namespace quillory::app

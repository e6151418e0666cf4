#include "app/transfer_command.h"

#include <atomic>
#include <chrono>
#include <future>

#include "app/main_window.h"
#include "app/qt_text.h"
#include "app/result_action_prompts.h"

namespace quillory::app {

// One question from the worker: answered on the window's thread, unless the worker stopped
// waiting first (a stop), in which case the box is never shown.
struct TransferCommand::Question {
    std::promise<ErrorAnswer> answer;
    std::atomic<bool> abandoned{false};
};

TransferCommand::TransferCommand(TQuilloryForm1& form, ResultSelection& selection,
                                 ResultActionPrompts& prompts, FileOperations& operations, QObject* parent)
    : QObject(parent), form_(form), selection_(selection), prompts_(prompts), operations_(operations) {}

TransferCommand::~TransferCommand() {
    // Queued calls to this object die with it; the worker stops waiting for an answer.
    if (worker_.joinable()) {
        worker_.request_stop();
        worker_.join();
    }
}

void TransferCommand::ChooseFolderAndTransfer(bool move) {
    if (running_) return;
    const QString folder = prompts_.ChooseFolder(&form_);
    if (folder.isEmpty()) return;
    Start(folder.toUtf8().toStdString(), move);
}

bool TransferCommand::Start(const std::string& folder, bool move) {
    if (running_) return false;
    if (worker_.joinable()) worker_.join();
    running_ = true;
    std::vector<TransferItem> items = SelectedTransferItems(form_.Context().results, selection_);
    TransferHost host;
    host.showStatus = [this](const std::string& text) {
        QMetaObject::invokeMethod(
            this, [this, text = FromBytes(text)] { form_.SetStatusText(text); }, Qt::QueuedConnection);
    };
    worker_ = std::jthread([this, host, items = std::move(items), target = TargetFolderWithSeparator(folder),
                            move](std::stop_token stop) mutable {
        host.askUser = [this, stop](const TransferFailure& failure) {
            return AskOnWindowThread(failure, stop);
        };
        TransferOutcome outcome = TransferFiles(items, target, move, host, stop, operations_);
        QMetaObject::invokeMethod(
            this, [this, outcome = std::move(outcome)] { Finish(outcome); }, Qt::QueuedConnection);
    });
    return true;
}

ErrorAnswer TransferCommand::AskOnWindowThread(const TransferFailure& failure, std::stop_token stop) {
    auto question = std::make_shared<Question>();
    std::future<ErrorAnswer> answer = question->answer.get_future();
    QMetaObject::invokeMethod(
        this,
        [this, question, failure] {
            if (question->abandoned) return;
            question->answer.set_value(prompts_.AskTransferError(&form_, failure));
        },
        Qt::QueuedConnection);
    // The worker waits for the user, but never past a stop: the window may be ending.
    while (answer.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        if (stop.stop_requested()) {
            question->abandoned = true;
            return ErrorAnswer::Abort;
        }
    }
    return answer.get();
}

void TransferCommand::Stop() {
    if (running_) worker_.request_stop();
}

void TransferCommand::Finish(const TransferOutcome& outcome) {
    worker_.join();
    running_ = false;
    ApplyTransferOutcome(form_.Context().results, selection_, outcome);
    Q_EMIT finished(outcome);
}

}  // namespace quillory::app

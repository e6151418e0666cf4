#pragma once
// "Copy to folder..." and "Move to folder..." in the window: the files are copied or moved on
// a worker thread, so the window stays responsive; the status texts and the "Error" question
// come to the window's thread, and the moved entries leave the result list there at the end.
// One transfer at a time.

#include <QObject>
#include <memory>
#include <thread>

#include "actions/transfer_selected.h"

namespace quillory {
class ResultSelection;
}

namespace quillory::app {

class ResultActionPrompts;
class TQuilloryForm1;

class TransferCommand : public QObject {
    Q_OBJECT
  public:
    TransferCommand(TQuilloryForm1& form, ResultSelection& selection, ResultActionPrompts& prompts,
                    FileOperations& operations = SystemFileOperations(), QObject* parent = nullptr);
    // A running transfer is stopped (after the file under way) and waited for.
    ~TransferCommand() override;

    // Asks for the folder, then starts the transfer of the selected results' files; nothing
    // when the folder browser is cancelled or a transfer is running.
    void ChooseFolderAndTransfer(bool move);
    // Starts the transfer to `folder` (a separator is added when missing); false when one is
    // already running.
    bool Start(const std::string& folder, bool move);
    bool Running() const { return running_; }
    // Asks a running transfer to end after the file under way, as an Abort would.
    void Stop();

  Q_SIGNALS:
    void finished(const quillory::TransferOutcome& outcome);

  private:
    struct Question;
    ErrorAnswer AskOnWindowThread(const TransferFailure& failure, std::stop_token stop);
    void Finish(const TransferOutcome& outcome);

    TQuilloryForm1& form_;
    ResultSelection& selection_;
    ResultActionPrompts& prompts_;
    FileOperations& operations_;
    bool running_ = false;
    std::jthread worker_;
};

}  // namespace quillory::app

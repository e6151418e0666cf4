#pragma once
// SIGTERM, SIGHUP and SIGINT end the program the orderly way (database and settings saved),
// as a session log-off does. The handler only records the signal (platform/signal_watch.h);
// a notifier turns it into a Qt signal on the thread that installed it.

#include <QObject>

class QSocketNotifier;

namespace quillory::app {

class TerminationSignals : public QObject {
    Q_OBJECT

  public:
    // Installs the handlers (once per process) and returns the one receiver, a child of the
    // application object; call on the user-interface thread after the application object
    // exists. Later calls return the same receiver; if the application object was replaced,
    // a new receiver is made for it over the same handlers.
    static TerminationSignals* Install();
    ~TerminationSignals() override;

  Q_SIGNALS:
    // Emitted through the event loop once per signal received.
    void endRequested(int signal);

  private:
    // `signalFd`: where the handlers record the signals (platform/signal_watch.h).
    TerminationSignals(int signalFd, QObject* parent);
    void Drain();

    QSocketNotifier* notifier_;
};

}  // namespace quillory::app

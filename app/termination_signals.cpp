#include "app/termination_signals.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include "platform/error.h"
#include "platform/signal_watch.h"

namespace quillory::app {
namespace {

QPointer<TerminationSignals> g_receiver;

}  // namespace

TerminationSignals* TerminationSignals::Install() {
    if (g_receiver) return g_receiver;
    if (!QCoreApplication::instance()) throw Error("Termination signals need the application object");
    g_receiver = new TerminationSignals(WatchTerminationSignals(), QCoreApplication::instance());
    return g_receiver;
}

TerminationSignals::TerminationSignals(int signalFd, QObject* parent)
    : QObject(parent), notifier_(new QSocketNotifier(signalFd, QSocketNotifier::Read, this)) {
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::Drain);
}

TerminationSignals::~TerminationSignals() = default;

void TerminationSignals::Drain() {
    for (const int signal : TakeTerminationSignals()) Q_EMIT endRequested(signal);
}

}  // namespace quillory::app

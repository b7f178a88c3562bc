#pragma once
// The general error handler: every event handler of the windows runs inside Guarded, which
// shows a failure's message in a message box titled "Velkar" and lets the program go on. What
// the handler changed before the failure stays changed (the core's commands are all or nothing
// where that matters).

#include "app/DocumentText.h"
#include "app/UserDialogs.h"

#include <QObject>
#include <exception>
#include <utility>

class QWidget;

namespace velkar::gui {

// Shows `error` the way the general error handler does.
void ShowFailure(QWidget* parent, const std::exception& error, const TextCodec* codec = nullptr);

// Runs `handler`; a failure is shown and goes no further. `codec` decodes messages that quote
// a document's bytes (nullptr: UTF-8).
template <class Handler>
void Guarded(QWidget* parent, Handler&& handler, const TextCodec* codec = nullptr) {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        ShowFailure(parent, error, codec);
    }
}

// Connects `signal` of `sender` to `handler` (a callable without arguments) run inside Guarded.
template <class Sender, class Signal, class Handler>
void ConnectGuarded(Sender* sender, Signal signal, QWidget* context, Handler handler,
                    const TextCodec* codec = nullptr) {
    QObject::connect(sender, signal, context,
                     [context, handler, codec]() { Guarded(context, handler, codec); });
}

} // namespace velkar::gui

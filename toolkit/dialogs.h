#pragma once
// Message boxes and the application's default handler.
//
// The system's own messages come in four kinds, each a real QMessageBox with
// the stock caption of a Czech desktop and the stock buttons (in Czech where
// the toolkit's translation is loaded, translation.h): information "Informace"
// (OK), error "Chyba" (OK), confirmation "Potvrzení" (Yes, No) and warning
// "Upozornění" (Yes, No). The text is always plain text. The questions return
// mrYes or mrNo (mrNo also when the box is dismissed without a choice).
// Return answers Yes, unless a question that would give something up asks
// for No as its default answer.
//
// Every event handler runs inside Guarded(): an exception it raises is shown
// in the error box with the exception's text and goes no further, so none
// ever unwinds through Qt's event loop. Bind() connects a signal to a
// handler with that guard around it.
#include <QObject>
#include <QString>
#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

#include "forms.h"

void ShowInformation(const QString& text);
void ShowError(const QString& text);
TModalResult AskConfirmation(const QString& text, TModalResult defaultAnswer = mrYes);
TModalResult AskWarning(const QString& text);

// The application's default handler: the error box with the text of the
// exception (read as UTF-8 when it is valid UTF-8, else as code page 1250).
void ShowException(const std::exception& error) noexcept;
// The text that the error box shows for an exception.
QString ExceptionText(const std::exception& error);
void ShowUnknownException() noexcept;

template <class F>
void Guarded(F&& handler) noexcept {
  try {
    std::forward<F>(handler)();
  } catch (const std::exception& error) {
    ShowException(error);
  } catch (...) {
    ShowUnknownException();
  }
}

// Connects `signal` of `sender` to the member `handler` of `receiver`, run
// inside Guarded(). The handler takes either the signal's arguments or none.
template <class Sender, class Signal, class Receiver, class Handler>
QMetaObject::Connection Bind(Sender* sender, Signal signal, Receiver* receiver, Handler handler) {
  return QObject::connect(sender, signal, receiver, [receiver, handler](auto... args) {
    Guarded([&] {
      if constexpr (std::is_invocable_v<Handler, Receiver*, decltype(args)...>)
        std::invoke(handler, receiver, args...);
      else
        std::invoke(handler, receiver);
    });
  });
}

// The default error report. Every slot, timer and event handler that runs
// the program's operations goes through RunGuarded, so an error stops that
// handler alone: its text is shown and the program goes on. The
// application's notify override is only the last net for anything else.
#pragma once

#include <QApplication>
#include <functional>

#include "Ports.h"

// Runs handler; an error escaping it is shown through messages.ShowError.
void RunGuarded(IMessages& messages, const std::function<void()>& handler) noexcept;

class TOrvApplication : public QApplication {
  public:
    TOrvApplication(int& argc, char** argv);
    // Where errors that escape an event are reported (nothing is shown
    // until one is set).
    void SetErrorReport(IMessages* messages) { messages_ = messages; }
    bool notify(QObject* receiver, QEvent* event) override;

  private:
    IMessages* messages_ = nullptr;
};

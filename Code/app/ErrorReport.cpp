#include "ErrorReport.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

std::string CurrentErrorText() {
    try {
        throw;
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "An unknown error occurred.";
    }
}

// Showing the report must not raise a second error out of a handler.
void Report(IMessages* messages, const std::string& text) noexcept {
    try {
        if (messages != nullptr) {
            messages->ShowError(text);
            return;
        }
    } catch (...) {
    }
    std::fprintf(stderr, "orvanel: %s\n", text.c_str());
}

}  // namespace

void RunGuarded(IMessages& messages, const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (...) {
        Report(&messages, CurrentErrorText());
    }
}

TOrvApplication::TOrvApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TOrvApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        Report(messages_, CurrentErrorText());
        return false;
    }
}

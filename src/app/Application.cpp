#include "app/Application.h"

#include "base/AppError.h"
#include "controls/AccessibleControls.h"
#include "controls/Prompter.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::function<void(int)> terminator = [](int code) {
    // Every write is atomic, so stopping here leaves no torn file behind; returning into
    // the event loop could run more of the handler state the error left half done.
    std::fflush(nullptr);
    std::_Exit(code);
};

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    AccessibleControls::install();
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        fail(error);
    } catch (...) {
        fail(AppError(AppError::Internal, QStringLiteral("Application"), QStringLiteral("Unknown error")));
    }
    return true;
}

int Application::fail(const std::exception& error)
{
    int number = AppError::Internal;
    QString description = QString::fromLocal8Bit(error.what());
    if (const auto* appError = dynamic_cast<const AppError*>(&error)) {
        number = appError->number();
        description = appError->description();
    }
    std::fprintf(stderr, "%s\n", qPrintable(errorText(number, description)));
    Prompter::notify(nullptr, errorText(number, description), Prompter::Icon::Stop);
    // The exit code is never 0, whatever the number.
    const int code = number > 0 && number < 256 ? number : 1;
    terminator(code);
    return code;
}

void Application::setTerminator(std::function<void(int)> terminator_)
{
    terminator = std::move(terminator_);
}

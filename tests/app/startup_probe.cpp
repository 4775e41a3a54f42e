// Runs the application's start-up with the interface file given on the
// command line and reports a start-up failure on stdout instead of in a
// message box, so a test can check the failure path without a person.
#include "application.h"

#include <cstdio>

int main(int argc, char *argv[])
{
    const QUrl mainUrl = QUrl::fromUserInput(QString::fromLocal8Bit(argv[argc - 1]));
    int qtArgc = argc - 1;
    return runApplication(qtArgc, argv, mainUrl, [](const StartupFailure &failure) {
        std::printf("TITLE:%s\nTEXT:%s\n", qPrintable(failure.title), qPrintable(failure.text));
        std::fflush(stdout);
    });
}

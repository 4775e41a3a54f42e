#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// What the operator is told when the interface cannot be loaded.
struct StartupFailure
{
    QString title;
    QString text;
};

using StartupFailurePresenter = std::function<void(const StartupFailure &)>;

// Shows the failure in a modal critical message box with a single OK button.
void showStartupFailureBox(const StartupFailure &failure);

// Picks how the interface's windows are drawn; call it after the application
// object is made and before any window. Where OpenGL is itself a software
// rasterizer (a machine or virtual display without a graphics card) it is
// Qt Quick's software renderer, which repaints only what changed instead of
// the whole window for every frame. QT_QUICK_BACKEND or QSG_RHI_BACKEND in
// the environment choose instead (QSG_RHI_BACKEND=opengl keeps OpenGL).
void chooseGraphicsApi();

// Makes the interface's own C++ items known to QML ("import Kestrelvane").
void registerInterfaceTypes();

// Builds the running system on its own stack, loads the interface and runs
// the event loop. Returns the event loop's exit code, or -1 when the
// interface failed to load or a QML module it needs is missing. The URL
// and presenter are parameters so the failure path can be exercised without
// a person to click the box.
int runApplication(int &argc, char **argv,
                   const QUrl &mainUrl = QUrl(QStringLiteral("qrc:/main.qml")),
                   const StartupFailurePresenter &presentFailure = showStartupFailureBox);

#include "application.h"
#include "commandline.h"

int main(int argc, char *argv[])
{
    if (isCommandLineUse(argc, argv))
        return runCommandLine(argc, argv);
    return runApplication(argc, argv);
}

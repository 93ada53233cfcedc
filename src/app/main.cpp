#include "app/application.h"
#include "app/commands.h"
#include "app/program.h"
#include "platform/sound.h"

int main(int argc, char *argv[])
{
    if (const std::optional<int> result = RunCommand(argc, argv))
        return *result;
    VimbraApplication app(argc, argv);
    StartProgram();
    const int result = app.exec();
    EndProgram();
    ShutdownSound();
    return result;
}

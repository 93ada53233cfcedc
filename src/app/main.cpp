#include "app/application.h"
#include "app/program.h"
#include "platform/sound.h"

int main(int argc, char *argv[])
{
    VimbraApplication app(argc, argv);
    StartProgram();
    const int result = app.exec();
    EndProgram();
    ShutdownSound();
    return result;
}

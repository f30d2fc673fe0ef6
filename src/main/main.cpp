#include "main/Startup.h"
#include "platform/ui/Application.h"

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    Startup startup;
    return startup.execute();
}

#include "shell/Application.h"

int main(int argc, char* argv[])
{
    Application app(argc, argv); // title "Zentor_Rubrica", Italian texts
    StartUp startUp;
    startUp.createWindows(); // main window, About, splash, search window
    return startUp.run();
}

#include "shell/main.h"

int main(int, char**)
{
    startup();
    return 0;
}

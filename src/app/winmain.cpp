#include "app/app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    velkari::AppMain(velkari::CompiledSettings());
    return 0;
}

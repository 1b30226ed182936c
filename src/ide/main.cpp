#include <cstdio>

int main() {
    // The main window arrives with the GUI layer; until then the program only says so.
    std::fputs("Morvane: the main window is not built yet.\n", stderr);
    return 1;
}
